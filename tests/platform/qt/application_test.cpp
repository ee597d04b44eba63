#include "platform/qt/application.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"

namespace qv::qt {
namespace {

// The first thread opens the frame, waits for three of its timer events and
// ends; exit code 0 only when the application returned 0 after that.
void runProgram()
{
    static char name[] = "qvls";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    int thread = 0;
    int ticks = 0;
    const int rc = runApplication(argc, argv, [&thread, &ticks] {
        thread = rt::Scheduler::instance().current();
        rt::Window w(rt::parseWindowDef("window: Main\ntitle: Quorvel Pro\nkind: frame\ntimer: 2\n"));
        w.open();
        while (ticks < 3)
            ticks += w.waitEvent().code == rt::event::Timer;
    });
    std::exit(rc == 0 && thread == 1 && ticks == 3 ? 0 : 1);
}

void runFailingProgram()
{
    static char name[] = "qvls";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    std::exit(runApplication(argc, argv, [] { throw std::runtime_error("tables cannot be opened"); }));
}

// runApplication owns the process's one application object, so it runs in
// a process of its own.
TEST(RunApplication, RunsTheFirstThreadAndReturnsWhenItEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runProgram(), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(runFailingProgram(), ::testing::ExitedWithCode(1), "tables cannot be opened");
}

} // namespace
} // namespace qv::qt
