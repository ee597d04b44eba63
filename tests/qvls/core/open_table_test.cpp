#include "core_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/framework/lock_wait.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/halt.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window_def.h"
#include "platform/tables/group.h"
#include "qvls/core/file_warning.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

extern char** environ;

namespace qv::qvls::testing {
namespace {

namespace b = rt::button;

tables::TableDef albumsDef(int version = 5)
{
    tables::TableDef d;
    d.label = "Album";
    d.prefix = "ALB";
    d.fileName = "qvlalbum";
    d.description = "Albums";
    d.version = version;
    d.fields = {
        tables::longField("ALB:AlbumID"), tables::stringField("ALB:Artist", 50), tables::stringField("ALB:Album", 50)};
    d.keys = {
        {"ALB:KEYALBUMID", "Album ID", {"AlbumID"}, true, true, 1, true},
        {"ALB:KEYALBUM", "Album", {"Album", "Artist"}, true, false, 0, true},
    };
    return d;
}

std::string sql(const std::string& file, const std::string& statement)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string out;
    char* err = nullptr;
    sqlite3_exec(
        db, statement.c_str(),
        [](void* o, int n, char** v, char**) {
            for (int i = 0; i < n; ++i)
                *static_cast<std::string*>(o) += std::string(v[i] ? v[i] : "") + ";";
            return 0;
        },
        &out, &err);
    if (err) {
        out = std::string("error: ") + err;
        sqlite3_free(err);
    }
    sqlite3_close(db);
    return out;
}

// The sqlite3 tool holding an exclusive lock on a file for a while, in a
// process group of its own so that it and its sleep end together.
class LockHolder
{
public:
    LockHolder(const std::string& file, int seconds, const std::filesystem::path& flag)
    {
        int in[2];
        EXPECT_EQ(pipe(in), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attr, 0);
        char* argv[]
            = {const_cast<char*>("sqlite3"), const_cast<char*>("-batch"), const_cast<char*>(file.c_str()), nullptr};
        EXPECT_EQ(posix_spawnp(&pid_, "sqlite3", &actions, &attr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        close(in[0]);
        const std::string script = "BEGIN EXCLUSIVE;\n.shell touch '" + flag.string() + "'\n.shell sleep "
            + std::to_string(seconds) + "\nROLLBACK;\n.quit\n";
        EXPECT_EQ(write(in[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));
        close(in[1]);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!std::filesystem::exists(flag) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ready_ = std::filesystem::exists(flag);
    }
    ~LockHolder() { release(); }
    // Ends the holder, and with it its lock.
    void release()
    {
        if (pid_ > 0) {
            kill(-pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    bool ready() const { return ready_; }

private:
    pid_t pid_ = 0;
    bool ready_ = false;
};

class OpenChecked : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        rt::setHaltHandler([this](int code, const std::string& text) { halts.push_back(text); });
        fw::waitForLocksOnThreads(); // as the program does
        group = std::make_unique<tables::Group>(collection(".qvgroup").string());
        table = makeTable();
    }
    void TearDown() override
    {
        table.reset();
        others.clear();
        group.reset();
        tables::setLockWaiter(nullptr);
        rt::setHaltHandler(nullptr);
        CollectionFolder::TearDown();
    }

public:
    std::unique_ptr<tables::Table> makeTable(int version = 5, const std::string& name = "qvlalbum")
    {
        auto t = std::make_unique<tables::Table>(albumsDef(version));
        t->setFileName(name);
        t->setGroup(group.get());
        return t;
    }

    // A table file with two albums, closed again.
    void makeFile()
    {
        auto t = makeTable();
        ASSERT_EQ(t->create(), 0);
        ASSERT_EQ(t->open(), 0);
        for (const char* title : {"Blue", "Green"}) {
            t->record().clear();
            t->record()["ALB:Artist"] = "Someone";
            t->record()["ALB:Album"] = title;
            ASSERT_EQ(t->insert(), 0);
        }
        t->close();
    }

    std::string file() const { return collection("qvlalbum.tps").string(); }

    // Runs the open on a thread of its own; true when it returned.
    void startOpen(int createRule = 1, bool forceCreate = false)
    {
        returned = false;
        host.start("Opener", [=, this] {
            OpenTableChecked(*table, createRule, forceCreate);
            returned = true;
        });
    }

    // Answers the box that must be showing, after checking it.
    void expectBox(const std::string& title, const std::string& text, int press = b::Ok)
    {
        rt::MessageBoxWindow* box = host.messageBox();
        ASSERT_NE(box, nullptr) << "expected " << title;
        EXPECT_EQ(box->title(), title);
        EXPECT_EQ(box->text(), text);
        host.answer(press);
    }

    void expectOpenedSilently()
    {
        EXPECT_EQ(host.messageBox(), nullptr);
        EXPECT_TRUE(returned);
        EXPECT_TRUE(table->isOpen());
        EXPECT_TRUE(halts.empty());
    }

    void expectHalt(const std::string& text)
    {
        EXPECT_EQ(host.messageBox(), nullptr); // nothing follows the last box
        EXPECT_FALSE(returned);
        EXPECT_FALSE(table->isOpen());
        EXPECT_EQ(halts, std::vector<std::string>{text});
    }

    rt::HeadlessHost host;
    std::unique_ptr<tables::Group> group;
    std::unique_ptr<tables::Table> table;
    std::vector<std::unique_ptr<tables::Table>> others;
    std::vector<std::string> halts;
    bool returned = false;
};

const std::string End = ".  Press OK to end this application.";

TEST_F(OpenChecked, AGoodFileOpens)
{
    makeFile();
    startOpen();
    expectOpenedSilently();
    startOpen(); // already open: counted, not refused
    expectOpenedSilently();
    EXPECT_EQ(table->openCount(), 2);
}

TEST_F(OpenChecked, AMissingFileIsCreatedSilently)
{
    for (bool force : {false, true}) {
        std::filesystem::remove(file());
        table = makeTable();
        startOpen(force ? 0 : 1, force);
        expectOpenedSilently();
        EXPECT_TRUE(std::filesystem::exists(file()));
        EXPECT_EQ(sql(file(), "PRAGMA user_version"), "5;");
    }
}

TEST_F(OpenChecked, AMissingFileThatMayNotBeCreatedEndsTheProgram)
{
    startOpen(0, false);
    expectBox("File Creation Error", "Error: (File Not Found (2)) creating qvlalbum.tps" + End);
    expectHalt("File Creation Error!");
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(OpenChecked, ACreatedFileThatCannotBeOpenedEndsTheProgram)
{
    // Every file the connection can take is taken.
    for (int i = 0; i < tables::Group::kMaxFiles; ++i) {
        others.push_back(makeTable(5, "other" + std::to_string(i)));
        ASSERT_EQ(others.back()->create(), 0);
        ASSERT_EQ(others.back()->open(), 0);
    }
    startOpen();
    expectBox("File Creation Error", "Error: (Too Many Open Files (4)) opening created file:qvlalbum.tps" + End);
    expectHalt("File Creation Error!");
}

TEST_F(OpenChecked, FilesThatAreNoSuchTableEndTheProgram)
{
    struct Case {
        const char* what;
        std::function<void(OpenChecked&)> spoil;
    };
    const std::vector<Case> cases{
        {"text file", [](OpenChecked& f) { writeFile(f.file(), std::string(4000, 'x')); }},
        {"empty file", [](OpenChecked& f) { writeFile(f.file(), ""); }},
        {"cut short",
            [](OpenChecked& f) {
                f.makeFile();
                std::filesystem::resize_file(f.file(), 4096 + 100);
            }},
        {"another version",
            [](OpenChecked& f) {
                auto old = f.makeTable(4);
                ASSERT_EQ(old->create(), 0);
            }},
        {"another table", [](OpenChecked& f) { sql(f.file(), "CREATE TABLE Songs (Title TEXT)"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(file());
        halts.clear();
        table = makeTable();
        c.spoil(*this);
        const std::string before = readFile(file());
        startOpen();
        expectBox("Invalid File", "Error: (Invalid Data File (47)) accessing qvlalbum.tps" + End);
        expectHalt("Invalid File!");
        EXPECT_TRUE(readFile(file()) == before) << "the file was changed";
    }
}

TEST_F(OpenChecked, DamagedKeysAreRebuiltWhenTheUserAgrees)
{
    makeFile();
    ASSERT_EQ(sql(file(), "DROP INDEX KEYALBUM"), "");
    startOpen();
    expectBox("Invalid Key", "qvlalbum.tps key file is invalid.  Do you want to rebuild the key?", b::Yes);
    expectOpenedSilently();
    EXPECT_EQ(sql(file(), "SELECT count(*) FROM sqlite_master WHERE name = 'KEYALBUM'"), "1;");
    EXPECT_EQ(table->records(), 2);
}

TEST_F(OpenChecked, DamagedKeysLeftAloneEndTheProgram)
{
    makeFile();
    ASSERT_EQ(sql(file(), "DROP INDEX KEYALBUM"), "");
    const std::string before = readFile(file());
    startOpen();
    expectBox("Invalid Key", "qvlalbum.tps key file is invalid.  Do you want to rebuild the key?", b::No);
    expectHalt("Invalid Key!");
    EXPECT_TRUE(readFile(file()) == before) << "the file was changed";
}

TEST_F(OpenChecked, AKeyThatCannotBeRebuiltEndsTheProgramWithTheRecordsKept)
{
    makeFile();
    // Two records that the unique key cannot both hold.
    ASSERT_EQ(sql(file(), "DROP INDEX KEYALBUM; UPDATE Album SET Album = 'Blue', _k_Album = 'blue'"), "");
    startOpen();
    expectBox("Invalid Key", "qvlalbum.tps key file is invalid.  Do you want to rebuild the key?", b::Yes);
    expectBox("Key Rebuild Error", "Error: (Creates Duplicate Key (40)) repairing key for qvlalbum.tps" + End);
    expectHalt("Error Rebuilding Key!");
    EXPECT_EQ(sql(file(), "SELECT count(*) FROM Album"), "2;");
}

TEST_F(OpenChecked, AnythingElseIsADiskError)
{
    std::filesystem::create_directory(file()); // a folder where the file should be
    startOpen();
    expectBox("File Access Error", "File (qvlalbum.tps) could not be opened.  Error: Is a directory (21).");
    expectHalt("Disk Error");
}

TEST_F(OpenChecked, ALinkToAMissingFileIsReportedAndKept)
{
    // The collection's albums on a drive that is not mounted.
    const std::filesystem::path target = collection("drive") / "qvlalbum.tps";
    std::filesystem::create_symlink(target, file());
    startOpen();
    expectBox("File Access Error",
        "File (qvlalbum.tps, a link to " + target.string()
            + ") could not be opened.  Error: No such file or directory (2).");
    expectHalt("Disk Error");
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(std::filesystem::read_symlink(file()), target);
    EXPECT_FALSE(std::filesystem::exists(target));
}

// The hidden main file of the collection's connection holds nothing of the user's.
TEST_F(OpenChecked, ADamagedHelperFileIsMadeAnewAndNeverBlamedOnTheTables)
{
    tables::Table& albums = dictionary::Album();
    tables::Table& artists = dictionary::Artists();
    ASSERT_EQ(albums.create(), 0);
    ASSERT_EQ(artists.create(), 0);
    const std::string helper = collection(std::string(dictionary::kCatalogueGroupFile)).string();
    writeFile(helper, std::string(5000, 'g')); // written over by another program
    host.start("Opener", [&] {
        OpenTableChecked(albums);
        OpenTableChecked(artists);
        returned = true;
    });
    EXPECT_EQ(host.messageBox(), nullptr);
    EXPECT_TRUE(returned);
    EXPECT_TRUE(halts.empty());
    EXPECT_EQ(albums.records(), 0);
    EXPECT_EQ(sql(helper, "PRAGMA integrity_check"), "ok;");
    albums.close();
    artists.close();
}

TEST_F(OpenChecked, AHelperFileThatCannotBeMadeIsNamedInTheWarning)
{
    tables::Table& albums = dictionary::Album();
    ASSERT_EQ(albums.create(), 0);
    const std::filesystem::path helper = collection(std::string(dictionary::kCatalogueGroupFile));
    std::filesystem::create_directory(helper);
    host.start("Opener", [&] {
        OpenTableChecked(albums);
        returned = true;
    });
    expectBox("File Access Error", "File (" + helper.string() + ") could not be opened.  Error: Is a directory (21).");
    EXPECT_EQ(halts, std::vector<std::string>{"Disk Error"});
    EXPECT_FALSE(albums.isOpen());
}

// A clock window on a thread of its own, ticking every tenth of a second: what else runs
// while the open waits.
struct Clock {
    std::vector<std::int64_t> ticks;
    void run()
    {
        rt::Window w(rt::parseWindowDef(
            "title: Clock\ntimer: 10\ncontrols:\n  - {type: button, name: Ok, text: OK}\n", "test", "Clock"));
        w.open();
        for (rt::Event e = w.waitEvent(); e.code != rt::event::CloseWindow; e = w.waitEvent())
            if (e.code == rt::event::Timer)
                ticks.push_back(rt::Scheduler::instance().now());
    }
};

TEST_F(OpenChecked, ALockedFileIsWaitedForWhileTheOtherThreadsRun)
{
    makeFile();
    LockHolder holder(file(), 60, collection("locked"));
    ASSERT_TRUE(holder.ready());
    Clock clock;
    host.start("Clock", [&] { clock.run(); });
    startOpen();
    const std::int64_t start = rt::Scheduler::instance().now();
    host.advance(5000);
    EXPECT_FALSE(returned);
    EXPECT_EQ(host.messageBox(), nullptr);
    // The clock kept its time all through the wait.
    EXPECT_EQ(clock.ticks.size(), 50u);
    EXPECT_TRUE(!clock.ticks.empty() && clock.ticks.front() <= start + 100);

    holder.release();
    host.advance(100);
    expectOpenedSilently();
    EXPECT_EQ(table->records(), 2);
}

TEST_F(OpenChecked, AFileLockedLongerThanTheWaitIsADiskError)
{
    makeFile();
    LockHolder holder(file(), 60, collection("locked"));
    ASSERT_TRUE(holder.ready());
    startOpen();
    // A second's try, then the ten seconds of "Recover=10".
    host.advance(10900);
    EXPECT_EQ(host.messageBox(), nullptr);
    EXPECT_FALSE(returned);
    host.advance(200);
    expectBox("File Access Error", "File (qvlalbum.tps) could not be opened.  Error: File Is Already Locked (32).");
    expectHalt("Disk Error");
}

} // namespace
} // namespace qv::qvls::testing
