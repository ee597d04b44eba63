#pragma once
// What the frame offers the program's other windows: starting procedures and
// programs, opening addresses, the start-up lists and the "not available"
// message. It sits apart from the frame so that those windows need not know
// the frame itself.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/procedures.h"

namespace qv::qvls {

// What a program start answers: the run code (0 started, otherwise the errno
// of the failed start) and, for a started program, how to read its exit code
// (rt::kStillActive while it runs). A start told only by its run code (a
// stand-in) counts as a program that has ended already.
struct ProgramRun {
    ProgramRun(int code = 0)
        : runCode(code)
    { }
    int runCode = 0;
    std::function<std::uint32_t()> exitCode;
};

// What the frame starts and opens. The defaults are the real ones; tests
// watch or replace them.
struct FrameServices {
    std::function<rt::Procedures::Started(std::string_view name, std::size_t stack)> startProcedure;
    std::function<bool(std::string_view name)> callProcedure;
    // Starts a program with an argument list in a working folder without
    // waiting.
    std::function<ProgramRun(
        const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder)>
        runProgram;
    // A web address or file:// address in the desktop's browser; > 32 when opened.
    std::function<int(std::string_view address)> openAddress;
    // The folder of the running program, ending with "/".
    std::function<std::string()> programFolder;
};
FrameServices& frameServices();
void resetFrameServices();

// Tells the user that a command (named as the user knows it: its menu text
// or button) has no window or program behind it yet.
void reportNotAvailable(std::string_view what);
// The same box with a text of its own (a start that failed says why).
void showNotAvailableText(const std::string& text);

// Asks the frame to open the lists chosen for start-up (Lists > Both only
// after a collection switch, not at start).
void postStartUpLists(bool withBoth);

// The disc-lookup tool beside the program.
std::string trakhandProgram();
// Its arguments for a disc switch ("/D", "/S", ...): the switch, "/VID" and
// the CD drive's token as stored, none when no drive is set.
std::vector<std::string> trakhandArguments(std::string_view discSwitch);
// Starts the tool with its arguments, in the collection folder, without
// waiting; the run code (0 started).
int startTrakhand(std::vector<std::string> arguments);

} // namespace qv::qvls
