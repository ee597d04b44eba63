#pragma once
// LookupEventSink: the control's events as lines of the log list, steps
// of the progress bar, and the dialog's reaction to completed commands.

#include <cstdint>
#include <string>

#include "platform/outside/cddb/control.h"
#include "trakhand/dialog_parts.h"

namespace qv::trakhand {

// What the sink asks of the main dialog.
class DialogMessages
{
public:
    virtual ~DialogMessages() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void LogComError(const cddb::ComError& error) = 0;
};

class LookupEventSink : public cddb::ControlEvents
{
public:
    LookupEventSink(cddb::Control& control, LogList& log, ProgressBar& progress, DialogMessages& dialog);

    void CommandCompleted(int command, std::uint32_t result, int third) override;
    void LogMessage(const std::string& text) override;
    void ServerMessage(int number, int second, const std::string& text) override;
    void CommandProgress(int command, int progress, int step, int steps) override;

    void OnCommandCompleted(int command, std::uint32_t result);
    void DumpRegions(const cddb::RegionList& regions);

private:
    cddb::Control& control_;
    LogList& log_;
    ProgressBar& progress_;
    DialogMessages& dialog_;
};

} // namespace qv::trakhand
