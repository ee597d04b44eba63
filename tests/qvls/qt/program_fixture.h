#pragma once
// The whole program on the desktop, started as main() starts it with the Qt
// host, in a collection folder of the test's own; the test acts as the user
// once the frame shows, then closes the frame.

#include <QApplication>
#include <QMainWindow>
#include <functional>
#include <gtest/gtest.h>

#include "core/core_fixture.h"
#include "platform/qt/host.h"
#include "platform/qt/qt_fixture.h"
#include "qvls/core/program.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {

// The whole program takes longer to start than one window to open.
inline bool waitFor(const std::function<bool()>& condition, int ms = 30000)
{
    return qt::testing::processEventsUntil(condition, ms);
}

inline QMainWindow* frameWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMainWindow*>(w); m && m->objectName() == "Main" && m->isVisible())
            return m;
    return nullptr;
}

class ProgramOnTheDesktop : public CollectionFolder
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "program_qt_test";
        static char* argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void SetUp() override
    {
        CollectionFolder::SetUp();
        writeFile(collection("QVLROCFG.INI"), "[Settings]\nSetupWizardComplete=1\nShowTips=0\n");
        registerSubsystems();
    }

    // `meanwhile` runs once the frame shows, as the user; when the program
    // has heard of it (`heard`), the user closes the frame.
    void run(const std::function<void(QMainWindow&)>& meanwhile, const std::function<bool()>& heard = {})
    {
        std::string arg = "qvls";
        char* argv[] = {arg.data()};
        const int code = ProgramEntry(1, argv, [&](std::function<void()> body) {
            qt::QtHost host;
            bool ended = false;
            host.watchThread(host.start("main", std::move(body)), [&ended] { ended = true; });
            QMainWindow* frame = nullptr;
            EXPECT_TRUE(waitFor([&] { return (frame = frameWindow()) != nullptr; }));
            if (frame) {
                meanwhile(*frame);
                if (heard) {
                    EXPECT_TRUE(waitFor(heard));
                }
                frame->close();
            }
            EXPECT_TRUE(waitFor([&] { return ended; }));
            return 0;
        });
        EXPECT_EQ(code, 0);
    }
};

} // namespace qv::qvls::testing
