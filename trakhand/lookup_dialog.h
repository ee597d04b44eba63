#pragma once
// LookupDialog: the tool's one window and the state of a run. The command
// runs on a thread of its own while the window's thread answers Cancel, so
// that a lookup waiting on the network can be stopped.

#include <memory>
#include <string>

#include "platform/outside/cddb/control.h"
#include "platform/runtime/window.h"
#include "trakhand/command_line.h"
#include "trakhand/dialog_parts.h"
#include "trakhand/event_sink.h"
#include "trakhand/tool.h"

namespace qv::trakhand {

class LookupDialog : public DialogMessages
{
public:
    LookupDialog(const ToolServices& services, CommandLine line);
    ~LookupDialog() override;

    // Opens the window, runs the command and returns the exit code.
    int run();

    void SetProxySettings(std::string host, int port, std::string userName, std::string password);
    void ShowMessage(const std::string& text) override;
    void LogComError(const cddb::ComError& error) override;

private:
    // How a lookup ended.
    enum class Lookup { Settled, NoMatch, Unexpected, Failed };
    // Where the lookups of the disc switches differ.
    struct LookupStyle {
        bool driveInOpenFailure; // the open failure names the drive
        bool noteEnteredDisc; // a chosen disc the database does not know gets a note
    };

    void runGuarded();
    void DispatchCommand();
    void runCommand(Command command, cddb::Options* options);
    bool SetUpControl();
    void connectSink();
    bool hasServiceUser();
    void endRequest(int code) { exitCode_ = code; }
    void release();

    Lookup lookUpDisc(const LookupStyle& style);
    void GetDiscInfo();
    bool WriteResultFile();
    void SubmitNewDisc();
    void UpdateDisc();
    void SubmitUpdates();
    void ShowExtendedDiscInfo();
    void LookupAndPassDisc();
    void showOptions(cddb::Options& options);

    const ToolServices& services_;
    CommandLine line_;
    Secrets secrets_;
    LogList log_{secrets_};
    ProgressBar progress_;
    std::unique_ptr<rt::Window> window_;
    std::unique_ptr<cddb::Control> control_;
    std::unique_ptr<LookupEventSink> sink_;
    int sinkCookie_ = 0;
    bool cancelRequested_ = false;
    std::string toc_;
    std::string proxyHost_;
    int proxyPort_ = 0;
    std::string proxyUserName_, proxyPassword_;
    cddb::DiscRef currentDisc_;
    int exitCode_ = 0;
};

} // namespace qv::trakhand
