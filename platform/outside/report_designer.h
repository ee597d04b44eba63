#pragma once
// The run-time report designer behind the field-choice reports. The program
// initialises it once at start; its arguments mean what the designer makes
// of them, so they are kept as given.

#include <string>
#include <string_view>

namespace qv::outside {

struct ReportDesignerState {
    bool initialised = false;
    int initCalls = 0;
    std::string initText;
    int initFlag = 0;
};

ReportDesignerState& reportDesigner();

void REPWIZINIT(std::string_view text, int flag);

} // namespace qv::outside
