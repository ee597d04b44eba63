#pragma once

// A connection that serves a group of table files.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qv::tables {

class Table;

// How the driver passes the time while another process holds a lock on a file it needs.
// The driver runs on the one OS thread that also runs the window system, so a program
// with cooperative threads installs a waiter that lets them, and the window system, run
// meanwhile; without one the OS thread sleeps.
class LockWaiter
{
public:
    virtual ~LockWaiter() = default;
    // Lets about `milliseconds` pass; answers how many did (0: no wait is possible now,
    // and the driver gives up).
    virtual std::int64_t pause(int milliseconds) = 0;
    // The cooperative thread running now; 0 outside them.
    virtual int thread() const { return 0; }
};
// nullptr: back to sleeping the OS thread. The waiter outlives its installation.
void setLockWaiter(LockWaiter* waiter);
LockWaiter& lockWaiter();

// Tables updated together share one group: their files are attached to one
// connection, so a transaction over them commits atomically. The connection's
// main database is a real (small, empty) file, because SQLite makes a commit
// across attached files atomic only through a super-journal beside such a file.
// A group outlives the tables that use it.
class Group
{
public:
    static constexpr int kMaxFiles = 10;

    explicit Group(std::string mainFile);
    ~Group();
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;

    // The group of tables that name none: one per folder, with its file ".qvtables" there.
    static Group& forFolder(const std::string& folder);

    const std::string& mainFile() const { return mainFile_; }

    // Frames a transaction over every table of the group; waits up to timeoutSeconds for
    // other processes' locks.
    int begin(int timeoutSeconds = 2);
    int commit();
    int rollback();
    bool inTransaction() const;

    // "Recover=n": how long a busy file is waited for (at least a second).
    void setBusySeconds(int seconds);
    int busyMilliseconds() const { return busyMs_; }
    int attachedCount() const { return static_cast<int>(attached_.size()); }

    // Every wait for another process's lock passes through the lock waiter in short
    // slices. While one cooperative thread waits, the connection is its own: another
    // thread that wants it waits its turn, so no statement or transaction of the waiting
    // thread is disturbed.

    // For the drivers and views: a cached statement, reset and unbound. Callers reset it
    // again before they return, so no statement stays open across a wait.
    sqlite3_stmt* statement(const std::string& sql, int* rc = nullptr);
    // A statement of the caller's own, which it finalizes: for a read whose caller lets
    // other threads run between its steps, where a cached one could be reset under it.
    sqlite3_stmt* ownStatement(const std::string& sql, int* rc = nullptr);
    // The first step of a statement from statement(): outside a transaction, a lock held
    // elsewhere is waited for as long as the group's busy time allows. SQLite's answer.
    int step(sqlite3_stmt* s);
    // Runs SQL with the same wait; SQLite's answer.
    int run(const char* sql);
    // Starts a write transaction (BEGIN IMMEDIATE), waiting up to budgetMs for other
    // programs; SQLite's answer. A file in WAL mode would commit on its own, outside the
    // group's transaction: it is switched back to the rollback journal, and when another
    // program holds it in WAL mode no transaction is left open and heldInWal names it.
    // onlyAlias: check that file only (a write to one table); empty: every file.
    int beginWrite(std::int64_t budgetMs, const std::string& onlyAlias, std::string& heldInWal);
    sqlite3* db() { return db_; }
    int ensureOpen();
    int attach(const std::string& path, bool readOnly, std::string& alias);
    void detach(const std::string& alias);
    void detachLater(const std::string& alias);
    // 0, or SQLite's answer.
    int exec(const std::string& sql);

private:
    void flushDetaches();
    int attachAs(const std::string& path, bool readOnly, const std::string& alias); // SQLite's answer
    void dropStatements(const std::string& alias);
    void awaitTurn();
    // Open, and this thread's turn at the connection; false (rc set) when it cannot open.
    bool takeTurn(int* rc);
    sqlite3_stmt* prepare(const std::string& sql, int* rc);
    void removeStaleSuperJournals();
    void removeFinishedSuperJournals();
    std::vector<std::string> filesInWal(const std::string& onlyAlias); // aliases
    template <class Attempt> int waitingFor(std::int64_t budgetMs, Attempt attempt);

    std::string mainFile_;
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> cache_;
    struct Attached {
        std::string alias;
        std::string path;
        int users = 0;
        bool readOnly = false;
    };
    std::vector<Attached> attached_;
    std::vector<std::string> pendingDetach_;
    int nextAlias_ = 1;
    int busyMs_ = 1000;
    int owner_ = 0; // the cooperative thread waiting for a lock with the connection
    std::vector<std::string> heldSupers_; // super-journals hot journals named at the opening
};

// Keeps one read transaction over a short run of statements that do not wait (a page of
// a list and the joined records of its rows): outside a transaction each statement would
// otherwise lock its file, look for a hot journal and check the file for changes anew.
// The run sees one state of the files. Nothing to do inside a transaction.
class ReadHold
{
public:
    ReadHold(Group& group, const std::string& alias);
    ~ReadHold();
    ReadHold(const ReadHold&) = delete;
    ReadHold& operator=(const ReadHold&) = delete;

private:
    sqlite3_stmt* s_ = nullptr;
};

// Maps an SQLite result code onto the driver's numbered errors and records it.
int driverError(int sqliteRc, sqlite3* db, const std::string& file);
// A file another program holds in WAL mode cannot join a transaction over several files:
// 32, with a message that says so.
int heldInWalError(const std::string& file);

// Resets a statement when it goes out of scope.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt* s)
        : s_(s)
    { }
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return s_; }

private:
    sqlite3_stmt* s_;
};

std::string quoteId(const std::string& name);

} // namespace qv::tables
