#pragma once
// The one channel through which the program talks to the CD drive: MCI
// command strings to the cdaudio device, answered as text, and the MCI
// event log where failed commands are kept when the UseLog setting is on.

#include <functional>
#include <string>
#include <string_view>

namespace qv::qvls {

// Every user opens the device under this one alias, so only one window holds
// it at a time.
inline constexpr std::string_view kMciAlias = "xxx";

// Sends one command (without its trailing blanks), or "status xxx mode" when
// modeQuestion is set. Answers "1" for "true", "" for "false", the answer
// itself otherwise; a failure answers "Error:" + code + " " + MCI's text
// (logged), and an open refused because the alias is in use "Error:1" (not
// logged). Callers test the first five characters against "Error".
std::string SendMCICommand(std::string_view command, bool modeQuestion = false);

// True for an answer of SendMCICommand that reports a failure.
bool isMciError(std::string_view answer);

// The command that opens the device of the CDDrive setting: shareable unless
// the MCIMode setting is "Open".
std::string mciOpenCommand();

// Appends one line (label, data) to the MCI event log "QVLEvent.LOG" when
// UseLog is on. The log is opened at its first line and closed after its
// 101st, so the file can be read or moved between bursts.
void LogMciEvent(std::string_view label, std::string_view data);

// Lines added since the log was last opened; 0 while it is closed.
int mciLogLinesOpen();

// The string interface below SendMCICommand: the platform's cdaudio channel
// unless a test installs a scripted device (an empty function restores it).
using MciStringInterface = std::function<int(std::string_view command, std::string& answer)>;
void setMciStringInterface(MciStringInterface channel);

} // namespace qv::qvls
