#include "platform/outside/report_designer.h"

namespace qv::outside {

ReportDesignerState& reportDesigner()
{
    static ReportDesignerState state;
    return state;
}

void REPWIZINIT(std::string_view text, int flag)
{
    ReportDesignerState& s = reportDesigner();
    s.initialised = true;
    ++s.initCalls;
    s.initText = std::string(text);
    s.initFlag = flag;
}

} // namespace qv::outside
