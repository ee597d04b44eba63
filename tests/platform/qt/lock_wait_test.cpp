#include <QTimer>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "platform/framework/lock_wait.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

tables::TableDef albumsDef()
{
    tables::TableDef d;
    d.label = "Album";
    d.prefix = "ALB";
    d.fileName = "qvlalbum";
    d.version = 5;
    d.fields = {tables::longField("ALB:AlbumID"), tables::stringField("ALB:Album", 50)};
    d.keys = {{"ALB:KEYALBUMID", "Album ID", {"AlbumID"}, true, true, 1, true}};
    return d;
}

// While a program thread waits for a table another process has locked, the window
// system goes on: its own timer keeps firing, and so do the program's window timers.
TEST_F(QtHostTest, ALockWaitLeavesTheEventLoopRunning)
{
    fw::waitForLocksOnThreads();
    std::random_device rd;
    const auto dir = std::filesystem::temp_directory_path() / ("qvlock-" + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "qvlalbum.tps").string();
    {
        tables::Table t(albumsDef());
        t.setFileName(file);
        ASSERT_EQ(t.create(), 0);
    }
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        char ch = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
        if (write(ready[1], &ch, 1) != 1 || read(done[0], &ch, 1) != 1)
            _exit(2);
        _exit(0);
    }
    char locked = 0;
    ASSERT_EQ(read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 1);

    Program& clock = open(R"(
title: Clock
controls:
  - {type: button, name: Ok, text: OK}
)",
        [](rt::Window& w, Program&) { w.setTimer(2); });
    int qtTicks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++qtTicks; });
    tick.start(10);

    int result = -1;
    bool returned = false;
    host_->start("Opener", [&] {
        tables::Group g((dir / ".qvgroup").string());
        tables::Table t(albumsDef());
        t.setFileName(file);
        t.setGroup(&g);
        result = t.open(); // a second's wait, the driver's own
        returned = true;
    });
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(waitFor([&] { return returned; }, 5000));
    EXPECT_EQ(result, tables::FileLocked);
    EXPECT_GE(waited.elapsed(), 900);
    // About a hundred ticks of 10 ms each in that second; a blocked loop would have given one.
    EXPECT_GE(qtTicks, 40);
    EXPECT_GE(clock.count(rt::event::Timer), 20);

    ASSERT_EQ(write(done[1], "x", 1), 1);
    int status = 0;
    waitpid(holder, &status, 0);
    tables::setLockWaiter(nullptr);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qv::qt::testing
