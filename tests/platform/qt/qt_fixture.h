#pragma once
// A Qt host on the offscreen platform with program threads the tests drive:
// each thread opens a window from YAML text, records the events it receives
// and runs jobs the test hands it, on its own thread, as program code would.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/host.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"

namespace qv::qt::testing {

// Processes Qt events until the condition holds; false after ms milliseconds.
inline bool processEventsUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct Program {
    std::string yaml;
    std::function<void(rt::Window&, Program&)> setup;
    rt::ListQueue queue{2};
    std::string bound; // a use variable
    rt::Window* window = nullptr;
    std::vector<rt::Event> events;
    std::deque<std::function<void(rt::Window&)>> jobs;
    bool closeOnRequest = true;
    int thread = 0;

    int count(int code, int control = -1) const
    {
        int n = 0;
        for (const auto& e : events)
            n += e.code == code && (control < 0 || e.control == control);
        return n;
    }
};

class QtHostTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "qt_test";
        static char* argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }
    void SetUp() override { host_ = std::make_unique<QtHost>(); }
    void TearDown() override { host_.reset(); }

    static bool waitFor(const std::function<bool()>& condition, int ms = 3000)
    {
        return processEventsUntil(condition, ms);
    }

    Program& open(std::string yaml, std::function<void(rt::Window&, Program&)> setup = {})
    {
        programs_.emplace_back();
        Program& p = programs_.back();
        p.yaml = std::move(yaml);
        p.setup = std::move(setup);
        p.thread = host_->start("test", [&p] { run(p); });
        EXPECT_TRUE(waitFor(
            [&] { return p.window && host_->view(*p.window) && host_->view(*p.window)->outerWidget()->isVisible(); }));
        return p;
    }

    // Runs a job on the program's thread and waits until it has run.
    void onThread(Program& p, std::function<void(rt::Window&)> job)
    {
        p.jobs.push_back(std::move(job));
        rt::Scheduler::instance().post(p.thread, rt::Event{rt::event::User});
        EXPECT_TRUE(waitFor([&] { return p.jobs.empty(); }));
    }

    WindowView* view(const Program& p) const { return host_->view(*p.window); }
    template <typename W> W* find(const Program& p, const char* name) const
    {
        return view(p)->widget()->findChild<W*>(QString::fromLatin1(name));
    }

    std::unique_ptr<QtHost> host_;

private:
    static void run(Program& p)
    {
        rt::Window w(rt::parseWindowDef(p.yaml, "test"));
        if (p.setup)
            p.setup(w, p);
        w.open();
        p.window = &w;
        for (;;) {
            const rt::Event e = w.waitEvent();
            if (e.code == rt::event::User) {
                while (!p.jobs.empty()) {
                    auto job = std::move(p.jobs.front());
                    job(w);
                    p.jobs.pop_front();
                }
                continue;
            }
            p.events.push_back(e);
            if (e.code == rt::event::CloseWindow && p.closeOnRequest)
                break;
        }
        p.window = nullptr;
    }

    std::deque<Program> programs_; // outlive the host, whose end ends the threads
};

} // namespace qv::qt::testing
