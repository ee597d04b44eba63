#include "trakhand/error_log.h"

#include <cstdio>

#include "trakhand/text_format.h"
#include <fstream>

#include "platform/runtime/paths.h"

namespace qv::trakhand {

namespace {

struct SystemText {
    std::uint32_t code;
    const char* text;
};
// The system's own words for the standard result codes.
constexpr SystemText kSystemTexts[] = {
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80070005, "Access is denied."},
    {0x8007000E, "Not enough storage is available to complete this operation."},
    {0x80070057, "The parameter is incorrect."},
};

} // namespace

std::string comErrorText(std::uint32_t code, const std::string& description)
{
    if (!description.empty())
        return description;
    for (const SystemText& s : kSystemTexts)
        if (s.code == code)
            return s.text;
    if (code >= 0x80040201 && code <= 0x8004FFFF)
        return format("IDispatch error #%u", static_cast<unsigned>(code - 0x80040200));
    return format("Unknown error 0x%0lX", static_cast<unsigned long>(code));
}

std::string comErrorEntry(std::uint32_t code, const std::string& description)
{
    return format("COM Error (%x): ", static_cast<unsigned>(code)) + comErrorText(code, description);
}

void appendErrorLog(const std::string& entry)
{
    std::ofstream log(rt::resolvePosixPath(kErrorLogFile), std::ios::binary | std::ios::app);
    log << entry << "\r\n";
}

} // namespace qv::trakhand
