#include "qvls/acquisition/mci_channel.h"

#include "platform/cdaudio/mci.h"
#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/file_warning.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

MciStringInterface& installedChannel()
{
    static MciStringInterface channel;
    return channel;
}

int sendString(std::string_view command, std::string& answer)
{
    if (const MciStringInterface& channel = installedChannel())
        return channel(command, answer);
    return cdaudio::mciSendString(command, answer);
}

// The log closes itself after this many lines and opens again at the next.
constexpr int kLinesPerOpening = 101;

struct EventLogState {
    int lines = 0;
};

EventLogState& logState()
{
    static EventLogState state;
    return state;
}

} // namespace

void setMciStringInterface(MciStringInterface channel)
{
    installedChannel() = std::move(channel);
}

std::string SendMCICommand(std::string_view command, bool modeQuestion)
{
    const std::string sent = modeQuestion ? std::string("status ") + std::string(kMciAlias) + " mode"
                                          : std::string(text::trimRight(command));
    std::string answer;
    const int error = sendString(sent, answer);
    if (error == 0) {
        // Exactly these words: "TRUE" stays as it is.
        if (answer == "true")
            return "1";
        if (answer == "false")
            return {};
        return answer;
    }
    if (error == cdaudio::mcierr::kDeviceOpen)
        return "Error:1";
    const std::string why = std::to_string(error) + " " + cdaudio::mciErrorText(error);
    LogMciEvent("MCI Request", sent);
    LogMciEvent("MCI Return", answer);
    LogMciEvent("MCI Error", why);
    return "Error:" + why;
}

bool isMciError(std::string_view answer)
{
    return answer.substr(0, 5) == "Error";
}

std::string mciOpenCommand()
{
    const std::string drive = text::asciiLower(text::trimRight(settings().CDDrive));
    const bool exclusive = text::trimRight(settings().MCIMode) == "Open";
    return "open " + drive + " type cdaudio" + (exclusive ? "" : " shareable") + " alias " + std::string(kMciAlias);
}

void LogMciEvent(std::string_view label, std::string_view data)
{
    if (settings().UseLog == 0)
        return;
    tables::Table& log = dictionary::EventLog();
    EventLogState& state = logState();
    // Someone else may have closed it (a collection switch closes every table).
    if (state.lines == 0 || !log.isOpen()) {
        state.lines = 0;
        OpenTableChecked(log);
        if (!log.isOpen())
            return;
    }
    ++state.lines;
    tables::Record& r = log.record();
    r.clear();
    r["EVL:LOGLABEL"] = label; // the fields cut what does not fit
    r["EVL:LOGDATA"] = data;
    const expr::Clock& clock = expr::defaultClock();
    r["EVL:LOGDATE"] = expr::format(expr::Value(clock.today()), "@d3");
    r["EVL:LOGTIME"] = expr::format(expr::Value(clock.clock()), "@t7");
    log.insert();
    if (state.lines >= kLinesPerOpening) {
        log.close();
        state.lines = 0;
    }
}

int mciLogLinesOpen()
{
    return dictionary::EventLog().isOpen() ? logState().lines : 0;
}

} // namespace qv::qvls
