#include "trakhand/event_sink.h"

#include <cstdio>

#include "trakhand/text_format.h"

#include "trakhand/error_log.h"

namespace qv::trakhand {

namespace {

// A command whose completion the dialog passes over in silence.
constexpr int kSilentCommand = 38;

bool failed(std::uint32_t result)
{
    return static_cast<std::int32_t>(result) < 0;
}

} // namespace

LookupEventSink::LookupEventSink(cddb::Control& control, LogList& log, ProgressBar& progress, DialogMessages& dialog)
    : control_(control)
    , log_(log)
    , progress_(progress)
    , dialog_(dialog)
{ }

void LookupEventSink::CommandCompleted(int command, std::uint32_t result, int)
{
    log_.add(format("CommandCompleted: %d (HR=%x) ", command, static_cast<unsigned>(result)));
    OnCommandCompleted(command, result);
}

void LookupEventSink::LogMessage(const std::string& text)
{
    log_.add("LogMessage: " + text);
}

void LookupEventSink::ServerMessage(int number, int second, const std::string& text)
{
    log_.add(format("ServerMessage: %d, %d, %s.", number, second, text.c_str()));
}

void LookupEventSink::CommandProgress(int command, int progress, int step, int steps)
{
    log_.add(format(
        "CommandProgress: Cmd=%d (Progress=%x) [%d of %d]", command, static_cast<unsigned>(progress), step, steps));
    progress_.stepIt();
}

void LookupEventSink::OnCommandCompleted(int command, std::uint32_t result)
{
    if (failed(result)) {
        dialog_.ShowMessage(format("Command (%x) completed with FAILED result: %x.", static_cast<unsigned>(command),
            static_cast<unsigned>(result)));
        return;
    }
    switch (command) {
    case cddb::cmd::kLookupMediaByToc:
        dialog_.ShowMessage("LookupMediaByToc command successfully completed.");
        break;
    case cddb::cmd::kSubmitDisc:
        dialog_.ShowMessage("SubmitDisc command successfully completed.");
        break;
    case cddb::cmd::kObtainRegionList:
        if (const auto error = comErrorOf([&] {
                if (const cddb::RegionListRef regions = control_.ObtainRegionList(0))
                    DumpRegions(*regions);
            }))
            dialog_.LogComError(*error);
        break;
    case kSilentCommand:
        break;
    default:
        dialog_.ShowMessage(format("Unknown command completed (%x).", static_cast<unsigned>(command)));
    }
}

void LookupEventSink::DumpRegions(const cddb::RegionList& regions)
{
    log_.add(format("Dumping %d regions...", static_cast<int>(regions.regions.size())));
    for (const cddb::Region& r : regions.regions)
        log_.add(format("ID: %s, Name: %s, Description: %s", r.id.c_str(), r.name.c_str(), r.description.c_str()));
}

} // namespace qv::trakhand
