#pragma once
// The error log "CDDBERR.LOG": every failure of the control that a flow
// catches is appended to it and, unless the user cancelled, shown.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/outside/cddb/control.h"

namespace qv::trakhand {

inline constexpr const char* kErrorLogFile = "CDDBERR.LOG";

// The text of a failing result: its description, else the system's text
// for a standard code, else a text made from the code.
std::string comErrorText(std::uint32_t code, const std::string& description);
// One log entry without its line break: "COM Error (%x): %s".
std::string comErrorEntry(std::uint32_t code, const std::string& description);
// Appends the entry and a line break to the error log in the current
// folder; a log that cannot be written is passed over.
void appendErrorLog(const std::string& entry);

// Runs a call of the control and hands back its failure. The failure is
// dealt with outside the handler, since showing it lets other threads run.
template <typename Call> std::optional<cddb::ComError> comErrorOf(Call&& call)
{
    try {
        call();
        return std::nullopt;
    } catch (const cddb::ComError& e) {
        return e;
    }
}

} // namespace qv::trakhand
