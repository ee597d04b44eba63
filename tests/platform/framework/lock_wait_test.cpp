#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/framework/lock_wait.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"

namespace qv::fw::testing {
namespace {

tables::TableDef namesDef(std::string file)
{
    tables::TableDef d;
    d.label = "Names";
    d.prefix = "NAM";
    d.fileName = std::move(file);
    d.version = 1;
    d.fields = {tables::longField("NAM:ID"), tables::stringField("NAM:Name", 30)};
    d.keys = {{"NAM:KEYID", "ID", {"ID"}, true, true, 1, true}};
    return d;
}

// Another process holding a lock on a file until it is ended: "BEGIN EXCLUSIVE" keeps
// everyone out, a read transaction only keeps a commit from finishing.
class Holder
{
public:
    Holder(const std::string& file, const char* sql)
    {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(done_), 0);
        pid_ = fork();
        if (pid_ == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(file.c_str(), &db);
            char ch = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
            if (write(ready[1], &ch, 1) != 1 || read(done_[0], &ch, 1) != 1)
                _exit(2);
            _exit(0);
        }
        char ok = 0;
        EXPECT_EQ(read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 1);
        close(ready[0]);
        close(ready[1]);
    }
    ~Holder() { release(); }
    void release()
    {
        if (pid_ <= 0)
            return;
        EXPECT_EQ(write(done_[1], "x", 1), 1);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
        close(done_[0]);
        close(done_[1]);
    }

private:
    pid_t pid_ = 0;
    int done_[2] = {-1, -1};
};

// Two tables in one group, as a relation set updates them together, and a host whose
// clock the test moves.
class LockWaits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("qvlockwait-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        waitForLocksOnThreads();
        group = std::make_unique<tables::Group>((dir_ / ".qvgroup").string());
        for (auto* t : {&first, &second}) {
            *t = std::make_unique<tables::Table>(namesDef((dir_ / (t == &first ? "first" : "second")).string()));
            ASSERT_EQ((*t)->create(), 0);
            (*t)->setGroup(group.get());
            ASSERT_EQ((*t)->open(), 0);
        }
    }
    void TearDown() override
    {
        host.reset(); // ends the threads first
        first.reset();
        second.reset();
        group.reset();
        tables::setLockWaiter(nullptr);
        std::filesystem::remove_all(dir_);
    }
    static int add(tables::Table& t, const std::string& name)
    {
        t.record().clear();
        t.record()["NAM:Name"] = name;
        return t.insert();
    }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
    std::unique_ptr<tables::Group> group;
    std::unique_ptr<tables::Table> first, second;

private:
    std::filesystem::path dir_;
};

// While one thread waits for a file another process has locked, a second thread that
// wants the same connection waits its turn: it must not run its statements in the middle
// of the first one's. Here both fetch through the one cached statement, each with its own
// key value.
TEST_F(LockWaits, AnotherThreadWaitsItsTurnForTheConnection)
{
    ASSERT_EQ(add(*first, "Anna"), 0);
    ASSERT_EQ(add(*first, "Bert"), 0);
    tables::Table again(first->def());
    again.setFileName(first->filePath());
    again.setGroup(group.get());
    ASSERT_EQ(again.open(), 0);
    std::vector<std::string> got;
    auto fetch = [&](tables::Table& t, int id) {
        t.record().clear();
        t.record()["NAM:ID"] = id;
        got.push_back(t.fetch(0) == 0 ? t.record().getText(1) : "error " + std::to_string(tables::lastError().code));
    };
    {
        Holder holder(first->filePath(), "BEGIN EXCLUSIVE");
        host->start("One", [&] { fetch(*first, 1); });
        host->start("Two", [&] { fetch(again, 2); });
        host->advance(600);
        EXPECT_TRUE(got.empty());
    }
    host->advance(50);
    EXPECT_EQ(got, (std::vector<std::string>{"Anna", "Bert"}));
}

// A commit waits for another program's readers with its transaction open; a second
// thread's write does not slip into that transaction but follows it.
TEST_F(LockWaits, ACommitWaitingForReadersKeepsItsTransactionToItself)
{
    std::vector<std::string> done;
    {
        Holder reader(first->filePath(), "BEGIN; SELECT count(*) FROM Names;");
        host->start("Saver", [&] {
            ASSERT_EQ(group->begin(), 0);
            ASSERT_EQ(add(*first, "A"), 0);
            ASSERT_EQ(add(*second, "A"), 0);
            done.push_back("commit " + std::to_string(group->commit()));
        });
        host->start("Other", [&] { done.push_back("other " + std::to_string(add(*second, "B"))); });
        host->advance(500);
        EXPECT_TRUE(done.empty());
        EXPECT_TRUE(group->inTransaction());
    }
    host->advance(50);
    EXPECT_EQ(done, (std::vector<std::string>{"commit 0", "other 0"}));
    EXPECT_EQ(first->records(), 1);
    EXPECT_EQ(second->records(), 2);
}

} // namespace
} // namespace qv::fw::testing
