#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"

using namespace qv::rt;

namespace {

WindowDef simpleWindow(std::string name, int timer = 0)
{
    return parseWindowDef("title: " + name + "\ncontrols:\n  - {type: button, name: Ok, text: OK}\n"
            + (timer ? "timer: " + std::to_string(timer) + "\n" : std::string()),
        "test", name);
}

// Runs a window's event loop until CloseWindow, recording what it saw.
void runWindow(std::string name, std::vector<std::string>& seen, int timer = 0)
{
    Window w(simpleWindow(name, timer));
    w.open();
    for (;;) {
        const Event e = w.waitEvent();
        seen.push_back(name + ":" + std::to_string(e.code));
        if (e.code == event::CloseWindow)
            break;
    }
}

TEST(Threads, NumbersStartAtOneAndAreReusedLowestFirst)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    const int a = host.start("A", [&] { runWindow("A", seen); });
    const int b = host.start("B", [&] { runWindow("B", seen); });
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    host.post(1, {event::CloseWindow});
    EXPECT_FALSE(Scheduler::instance().isRunning(1));
    EXPECT_EQ(host.start("C", [&] { runWindow("C", seen); }), 1);
    EXPECT_TRUE(host.failures().empty());
}

TEST(Threads, TwoThreadsEachAnswerTheirOwnEvents)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    host.start("A", [&] { runWindow("A", seen); });
    host.start("B", [&] { runWindow("B", seen); });
    seen.clear();
    host.post(2, {event::Accepted, 1});
    host.post(1, {event::Accepted, 1});
    EXPECT_EQ(seen, (std::vector<std::string>{"B:1", "A:1"}));
}

TEST(Threads, ModalWindowWaitsInsideTheCallWhileOtherThreadsStayLive)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    bool callReturned = false;
    host.start("List", [&] {
        Window list(simpleWindow("List"));
        list.open();
        for (;;) {
            const Event e = list.waitEvent();
            if (e.code == event::Accepted) {
                runWindow("Form", seen); // opened from the list: modal for this thread
                callReturned = true;
            }
            if (e.code == event::CloseWindow)
                break;
        }
    });
    host.start("Other", [&] { runWindow("Other", seen); });
    Window* list = host.window("List");
    ASSERT_NE(list, nullptr);
    host.press(*list, "?Ok");
    Window* form = host.window("Form");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(host.top(1), form);
    EXPECT_FALSE(callReturned);

    // An event for the thread goes to its top window: the form.
    seen.clear();
    host.post(1, {event::Accepted, 1});
    EXPECT_EQ(seen, (std::vector<std::string>{"Form:1"}));
    // The other thread's window answers while the form is open.
    host.post(2, {event::Accepted, 1});
    EXPECT_EQ(seen.back(), "Other:1");

    host.post(*form, {event::CloseWindow});
    EXPECT_TRUE(callReturned);
    EXPECT_EQ(host.top(1), list);
}

TEST(Threads, CloseToEveryThreadThenWaitForThemToEnd)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    bool allEnded = false;
    host.start("Frame", [&] {
        Window frame(simpleWindow("Frame"));
        frame.open();
        for (;;) {
            const Event e = frame.waitEvent();
            if (e.code == event::Accepted) {
                std::vector<int> others;
                for (int t = 2; t <= MaxThreads; ++t) {
                    Scheduler::instance().post(t, {event::CloseWindow});
                    others.push_back(t);
                }
                Scheduler::instance().waitForThreads(others);
                allEnded = Scheduler::instance().runningThreads() == std::vector<int>{1};
            }
            if (e.code == event::CloseWindow)
                break;
        }
    });
    EXPECT_TRUE(host.failures().empty()) << host.failures().front();
    for (int i = 2; i <= MaxThreads; ++i)
        ASSERT_EQ(host.start("W" + std::to_string(i), [&, i] { runWindow("W" + std::to_string(i), seen); }), i);
    EXPECT_EQ(Scheduler::instance().start("one too many", [] {}), 0);
    EXPECT_TRUE(host.failures().empty()) << host.failures().front();

    host.press(*host.top(1), "?Ok");
    EXPECT_TRUE(allEnded);
    EXPECT_EQ(Scheduler::instance().runningThreads(), std::vector<int>{1});
}

TEST(Threads, YieldLetsEveryOtherReadyThreadRunOnce)
{
    HeadlessHost host;
    std::vector<std::string> order;
    for (const char* name : {"A", "B"}) {
        Scheduler::instance().start(name, [&order, name] {
            for (int i = 0; i < 3; ++i) {
                order.push_back(std::string(name) + std::to_string(i));
                Scheduler::instance().yield();
            }
        });
    }
    host.settle();
    EXPECT_EQ(order, (std::vector<std::string>{"A0", "B0", "A1", "B1", "A2", "B2"}));
}

TEST(Threads, AThreadThatKeepsYieldingLetsTheHostRunBetweenTurns)
{
    HeadlessHost host;
    int turns = 0;
    Scheduler::instance().start("Busy", [&] {
        for (;;) {
            ++turns;
            Scheduler::instance().yield();
        }
    });
    // Each run of the scheduler gives it one turn and then returns to the host.
    EXPECT_TRUE(Scheduler::instance().runReady());
    EXPECT_TRUE(Scheduler::instance().runReady());
    EXPECT_EQ(turns, 2);
    EXPECT_TRUE(Scheduler::instance().hasReady());
}

TEST(Threads, TimerPostsEventsAtTheWindowInterval)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    host.start("Clock", [&] { runWindow("Clock", seen, 50); }); // half a second
    seen.clear();
    host.advance(499);
    EXPECT_TRUE(seen.empty());
    host.advance(1);
    EXPECT_EQ(seen, (std::vector<std::string>{"Clock:523"}));
    host.advance(1000);
    EXPECT_EQ(seen.size(), 3u);
}

TEST(Threads, ASleepingThreadLetsTheOthersRunAndWakesOnTime)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    std::int64_t woke = -1;
    host.start("Clock", [&] { runWindow("Clock", seen, 10); });
    const std::int64_t start = Scheduler::instance().now();
    host.start("Sleeper", [&] {
        Scheduler::instance().sleep(350);
        woke = Scheduler::instance().now() - start;
    });
    seen.clear();
    host.post(1, {event::Accepted, 1}); // answered at once, though a thread sleeps
    EXPECT_EQ(seen, (std::vector<std::string>{"Clock:1"}));
    host.advance(349);
    EXPECT_EQ(woke, -1);
    EXPECT_EQ(seen.size(), 4u); // three ticks of the clock meanwhile
    host.advance(1);
    EXPECT_EQ(woke, 350);
}

TEST(Threads, PerThreadValuesAreSeparateAndResetWhenTheThreadEnds)
{
    static PerThread<std::string> text;
    HeadlessHost host;
    std::vector<std::string> seen;
    host.start("A", [&] {
        text.get() = "from A";
        Window w(simpleWindow("A"));
        w.open();
        while (w.waitEvent().code != event::CloseWindow)
            seen.push_back(text.get());
    });
    host.start("B", [&] {
        text.get() = "from B";
        Window w(simpleWindow("B"));
        w.open();
        while (w.waitEvent().code != event::CloseWindow)
            seen.push_back(text.get());
    });
    host.post(1, {event::Accepted});
    host.post(2, {event::Accepted});
    host.post(1, {event::CloseWindow});
    EXPECT_EQ(text.of(1), "");
    EXPECT_EQ(text.of(2), "from B");
    // Each thread saw its own value although both ran in between.
    EXPECT_EQ(std::vector<std::string>(seen.end() - 2, seen.end()), (std::vector<std::string>{"from A", "from B"}));
}

TEST(Threads, AnExceptionEndsOnlyItsThreadAndIsReported)
{
    HeadlessHost host;
    std::vector<std::string> seen;
    host.start("Fine", [&] { runWindow("Fine", seen); });
    host.start("Broken", [] { throw std::runtime_error("table missing"); });
    EXPECT_EQ(host.failures(), std::vector<std::string>{"Broken: table missing"});
    EXPECT_TRUE(Scheduler::instance().isRunning(1));
    EXPECT_FALSE(Scheduler::instance().isRunning(2));
}

TEST(Threads, EndingTheHostUnwindsWaitingThreads)
{
    bool unwound = false;
    {
        HeadlessHost host;
        host.start("Waiting", [&] {
            struct Guard {
                bool& flag;
                ~Guard() { flag = true; }
            } guard{unwound};
            Window w(simpleWindow("Waiting"));
            w.open();
            for (;;)
                if (w.waitEvent().code == event::CloseWindow)
                    return;
        });
        EXPECT_FALSE(unwound);
    }
    EXPECT_TRUE(unwound);
}

} // namespace
