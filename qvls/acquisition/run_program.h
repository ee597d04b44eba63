#pragma once
// Starting an outside program (the disc-lookup tool, the mail sender) from a
// window and waiting for it to end. The program gets an argument list, never
// a command line, with the collection folder as its working folder; the wait
// polls its exit code on a timer of its own, so a window without a timer
// waits as long as the program runs and no longer, and the program's other
// threads go on meanwhile.

#include <string>
#include <vector>

namespace qv::qvls {

// How often a waiting window looks at the program, in hundredths of a second.
inline constexpr int kProgramPollTicks = 10;

// Starts the program; with wait, returns once it has ended. A program that
// cannot be started is told to the user ("EXE, Batch File or PIF File Not
// Found:" and the command) and counts as ended. True when it started.
bool RunProgramAndWait(const std::string& program, const std::vector<std::string>& args, bool wait = true);
// The same, then brings the calling window to the front.
bool RunProgramAndWaitForeground(const std::string& program, const std::vector<std::string>& args);

} // namespace qv::qvls
