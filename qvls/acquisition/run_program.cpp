#include "qvls/acquisition/run_program.h"

#include <cstdint>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/events.h"
#include "platform/runtime/process.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"

namespace qv::qvls {

namespace {

std::string commandText(const std::string& program, const std::vector<std::string>& args)
{
    std::string line = program;
    for (const std::string& a : args)
        line += " " + a;
    return line;
}

bool ended(const ProgramRun& run)
{
    return !run.exitCode || run.exitCode() != rt::kStillActive;
}

// The calling window takes no input while the program runs: what the user
// pressed meanwhile is dropped, but a request to close the window (or the
// program) is kept for when the wait is over.
void waitInWindow(rt::Window& window, const ProgramRun& run)
{
    const int ownTimer = window.timer();
    window.setTimer(kProgramPollTicks);
    std::vector<rt::Event> kept;
    while (window.isOpen() && !ended(run)) {
        const rt::Event e = window.waitEvent();
        if (e.code == rt::event::CloseWindow || e.code == rt::event::CloseDown)
            kept.push_back(e);
    }
    window.setTimer(ownTimer);
    for (const rt::Event& e : kept)
        window.post(e);
}

void waitFor(const ProgramRun& run)
{
    rt::Scheduler& s = rt::Scheduler::instance();
    if (rt::Window* window = s.topWindow(s.current()); window && window->isOpen()) {
        waitInWindow(*window, run);
        return;
    }
    while (!ended(run))
        s.sleep(kProgramPollTicks * 10);
}

} // namespace

bool RunProgramAndWait(const std::string& program, const std::vector<std::string>& args, bool wait)
{
    const ProgramRun run = frameServices().runProgram(program, args, collectionFolder());
    if (run.runCode != 0) {
        rt::beep();
        rt::message("EXE, Batch File or PIF File Not Found:" + commandText(program, args), "Critical Error Message",
            rt::Icon::Exclamation);
        return false;
    }
    if (wait)
        waitFor(run);
    return true;
}

bool RunProgramAndWaitForeground(const std::string& program, const std::vector<std::string>& args)
{
    const bool started = RunProgramAndWait(program, args, true);
    rt::Scheduler& s = rt::Scheduler::instance();
    if (rt::Window* window = s.topWindow(s.current()); window && window->isOpen())
        window->activate();
    return started;
}

} // namespace qv::qvls
