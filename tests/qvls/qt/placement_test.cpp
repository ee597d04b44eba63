// Where the user leaves the program's windows, through the Qt host as a user
// moves them: kept in ".\POSITION.INI" and found there at the next start.

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <gtest/gtest.h>

#include "platform/qt/host.h"
#include "platform/runtime/scheduler.h"
#include "qvls/core/globals.h"
#include "qvls/core/program.h"
#include "qvls/qt/program_fixture.h"
#include "qvls/subsystems.h"
#include "qvls/windows/Main.h"

namespace qv::qvls::testing {
namespace {

QWidget* topLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

class Placement : public ProgramOnTheDesktop
{
protected:
    std::string placement(const char* key, const char* window = "Main") const
    {
        const std::string ini = readFile(collection("POSITION.INI"));
        const std::size_t section = ini.find(std::string("[") + window + "]");
        if (section == std::string::npos)
            return {};
        const std::size_t at = ini.find(std::string("\n") + key + "=", section);
        const std::size_t next = ini.find("\n[", section + 1);
        if (at == std::string::npos || (next != std::string::npos && at > next))
            return {};
        const std::size_t start = at + std::strlen(key) + 2;
        return ini.substr(start, ini.find_first_of("\r\n", start) - start);
    }
};

TEST_F(Placement, TheFrameComesBackWhereAndAsTheUserLeftIt)
{
    run(
        [](QMainWindow& frame) {
            frame.move(120, 90);
            frame.resize(640, 420);
        },
        [this] { return !placement("Width").empty(); });
    EXPECT_EQ(placement("Maximize"), "No");
    const std::string x = placement("XPos"), y = placement("YPos"), w = placement("Width"), h = placement("Height");
    EXPECT_FALSE(x.empty() || y.empty() || w.empty() || h.empty()) << readFile(collection("POSITION.INI"));

    QRect seen;
    run([&](QMainWindow& frame) { seen = QRect(frame.pos(), frame.size()); });
    // Dialog units round a pixel or two.
    EXPECT_NEAR(seen.x(), 120, 4);
    EXPECT_NEAR(seen.y(), 90, 4);
    EXPECT_NEAR(seen.width(), 640, 4);
    EXPECT_NEAR(seen.height(), 420, 4);

    // Maximised, only that is written; the normal place stays for later.
    run([](QMainWindow& frame) { frame.showMaximized(); }, [this] { return placement("Maximize") == "Yes"; });
    EXPECT_EQ(placement("Maximize"), "Yes");
    EXPECT_EQ(placement("XPos"), x);
    EXPECT_EQ(placement("Width"), w);

    bool maximized = false;
    run(
        [&](QMainWindow& frame) {
            maximized = frame.isMaximized();
            frame.showNormal();
        },
        [this] { return placement("Maximize") == "No"; });
    EXPECT_TRUE(maximized);
    EXPECT_EQ(placement("Maximize"), "No");
    EXPECT_EQ(placement("XPos"), x) << "restoring brought the user's own place back";
}

// A window of its own over the frame keeps its place as the user sees it:
// counted from the frame, wherever the frame is next time.
TEST_F(Placement, ADialogComesBackWhereTheUserLeftItOverTheFrame)
{
    auto openSetup = [](QMainWindow& frame) -> QWidget* {
        // As File > Setup does.
        rt::Scheduler::instance().post(glo().frameThread, rt::Event{rt::event::Accepted, ctl::Main::FileSetup.number});
        QWidget* setup = nullptr;
        EXPECT_TRUE(waitFor([&] { return (setup = topLevel("Setup")) != nullptr; }));
        return setup;
    };
    run(
        [&](QMainWindow& frame) {
            frame.move(60, 40);
            if (QWidget* setup = openSetup(frame)) {
                setup->move(frame.pos() + QPoint(200, 150));
                waitFor([] { return false; }, 200);
                setup->close(); // as Cancel
                waitFor([] { return topLevel("Setup") == nullptr; });
            }
        },
        [this] { return !placement("XPos", "Setup").empty(); });

    QPoint seen;
    run([&](QMainWindow& frame) {
        frame.move(300, 200);
        waitFor([] { return false; }, 200);
        if (QWidget* setup = openSetup(frame)) {
            seen = setup->pos() - frame.pos();
            setup->close();
            waitFor([] { return topLevel("Setup") == nullptr; });
        }
    });
    EXPECT_NEAR(seen.x(), 200, 4);
    EXPECT_NEAR(seen.y(), 150, 4);
}

} // namespace
} // namespace qv::qvls::testing
