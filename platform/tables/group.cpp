#include "platform/tables/group.h"

#include "platform/tables/errors.h"
#include "platform/text/case.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include <unistd.h>

namespace qv::tables {

namespace {

// A lock wait's slice: between two attempts the other threads and the window system run.
constexpr int kSliceMs = 25;

bool busy(int rc)
{
    return (rc & 0xFF) == SQLITE_BUSY;
}

class SleepingWaiter : public LockWaiter
{
public:
    std::int64_t pause(int milliseconds) override
    {
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    }
};

LockWaiter* g_waiter = nullptr;

} // namespace

void setLockWaiter(LockWaiter* waiter)
{
    g_waiter = waiter;
}

LockWaiter& lockWaiter()
{
    static SleepingWaiter sleeper;
    return g_waiter ? *g_waiter : sleeper;
}

std::string quoteId(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

static std::string uriFor(const std::string& path, bool readOnly)
{
    std::string abs = std::filesystem::absolute(path).string();
    std::string out = "file:";
    for (unsigned char c : abs) {
        if (c == '%' || c == '?' || c == '#' || c < 0x21) {
            char buf[4];
            snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + (readOnly ? "?mode=ro" : "?mode=rw");
}

int driverError(int rc, sqlite3* db, const std::string& file)
{
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return setError(NoError, file);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return setError(FileLocked, file);
    case SQLITE_CORRUPT:
        return setError(BadKeys, file);
    case SQLITE_NOTADB:
        return setError(InvalidFile, file);
    case SQLITE_CONSTRAINT:
        return setError(DuplicateKey, file);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return setError(AccessDenied, file);
    case SQLITE_FULL:
        return setError(FileSystemError, file, std::strerror(ENOSPC), ENOSPC);
    default: {
        int os = db ? sqlite3_system_errno(db) : 0;
        std::string text = os ? std::strerror(os) : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        return setError(FileSystemError, file, text, os);
    }
    }
}

StatementUse::~StatementUse()
{
    if (s_)
        sqlite3_reset(s_);
}

Group::Group(std::string mainFile)
    : mainFile_(std::move(mainFile))
{ }

Group::~Group()
{
    for (auto& [sql, s] : cache_)
        sqlite3_finalize(s);
    if (db_)
        sqlite3_close_v2(db_);
}

Group& Group::forFolder(const std::string& folder)
{
    // Never destroyed: tables declared as statics may still close through it at exit.
    static auto& groups = *new std::map<std::string, std::unique_ptr<Group>>;
    std::string key = std::filesystem::absolute(folder.empty() ? "." : folder).lexically_normal().string();
    auto& g = groups[key];
    if (!g) {
        std::filesystem::path main = std::filesystem::path(key) / ".qvtables";
        // A collection on read-only media cannot hold the group's file; nothing is written
        // there anyway, so the file goes to the temporary folder.
        if (::access(key.c_str(), W_OK) != 0)
            main = std::filesystem::temp_directory_path()
                / (".qvtables-" + std::to_string(std::hash<std::string>{}(key)) + "-" + std::to_string(::getuid()));
        g = std::make_unique<Group>(main.string());
    }
    return *g;
}

int Group::ensureOpen()
{
    if (db_)
        return 0;
    int rc = sqlite3_open_v2(
        mainFile_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        int err = driverError(rc, db_, mainFile_);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return err;
    }
    sqlite3_extended_result_codes(db_, 1);
    // The language's UPPER(), so an order on UPPER(field) can be left to SQLite and still
    // sort exactly as the expression would.
    sqlite3_create_function(
        db_, "qv_upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        [](sqlite3_context* ctx, int, sqlite3_value** argv) {
            const char* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
            std::string up = qv::text::upper(t ? t : "");
            sqlite3_result_text(ctx, up.data(), static_cast<int>(up.size()), SQLITE_TRANSIENT);
        },
        nullptr, nullptr);
    // Every wait is the driver's, in slices that let the other threads run: SQLite itself
    // answers at once when a file is locked.
    sqlite3_busy_timeout(db_, 0);
    run("PRAGMA journal_mode=DELETE");
    run("PRAGMA synchronous=FULL");
    return 0;
}

// The connection is the waiting thread's until its wait ends.
void Group::awaitTurn()
{
    LockWaiter& w = lockWaiter();
    const int me = w.thread();
    while (me != 0 && owner_ != 0 && owner_ != me)
        if (w.pause(kSliceMs) <= 0)
            break;
}

template <class Attempt> int Group::waitingFor(std::int64_t budgetMs, Attempt attempt)
{
    std::int64_t waited = 0;
    for (;;) {
        const int rc = attempt();
        if (!busy(rc) || waited >= budgetMs)
            return rc;
        LockWaiter& w = lockWaiter();
        struct Hold {
            int& owner;
            int before;
            ~Hold() { owner = before; }
        } hold{owner_, owner_};
        owner_ = w.thread();
        const std::int64_t passed = w.pause(static_cast<int>(std::min<std::int64_t>(kSliceMs, budgetMs - waited)));
        if (passed <= 0)
            return rc;
        waited += passed;
    }
}

int Group::run(const char* sql)
{
    if (ensureOpen())
        return SQLITE_CANTOPEN;
    awaitTurn();
    return waitingFor(busyMs_, [&] { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); });
}

int Group::exec(const std::string& sql)
{
    if (int e = ensureOpen())
        return e;
    const int rc = run(sql.c_str());
    return rc == SQLITE_OK ? 0 : rc;
}

int Group::step(sqlite3_stmt* s)
{
    // Inside a transaction this connection holds its files; a refusal there is final.
    if (inTransaction())
        return sqlite3_step(s);
    return waitingFor(busyMs_, [&] {
        const int rc = sqlite3_step(s);
        if (busy(rc))
            sqlite3_reset(s); // the next attempt starts it again, with its values still bound
        return rc;
    });
}

sqlite3_stmt* Group::statement(const std::string& sql, int* rcOut)
{
    if (rcOut)
        *rcOut = SQLITE_OK;
    if (ensureOpen()) {
        if (rcOut)
            *rcOut = SQLITE_CANTOPEN;
        return nullptr;
    }
    awaitTurn();
    auto it = cache_.find(sql);
    if (it != cache_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* s = nullptr;
    int rc = waitingFor(
        busyMs_, [&] { return sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr); });
    if (rc != SQLITE_OK) {
        if (rcOut)
            *rcOut = rc;
        return nullptr;
    }
    cache_[sql] = s;
    return s;
}

// Two tables on one file share its attachment: SQLite would treat two attachments of one
// file as two databases that lock each other out.
int Group::attach(const std::string& path, bool readOnly, std::string& alias)
{
    if (int e = ensureOpen())
        return e;
    awaitTurn();
    std::error_code ec;
    std::string canonical = std::filesystem::weakly_canonical(path, ec).string();
    for (auto& a : attached_) {
        if (a.path == canonical) {
            if (a.readOnly && !readOnly) {
                // A reader's attachment takes no writes: the file is attached
                // again, to write, under the same name.
                if (inTransaction())
                    return setError(TransactionActive, path);
                dropStatements(a.alias);
                int rc = sqlite3_exec(db_, ("DETACH DATABASE " + a.alias).c_str(), nullptr, nullptr, nullptr);
                if (rc == SQLITE_OK)
                    rc = attachAs(path, false, a.alias);
                if (rc != SQLITE_DONE && rc != SQLITE_OK)
                    return driverError(rc, db_, path);
                a.readOnly = false;
            }
            alias = a.alias;
            auto pending = std::find(pendingDetach_.begin(), pendingDetach_.end(), a.alias);
            if (pending != pendingDetach_.end())
                pendingDetach_.erase(pending); // its last user had let go
            else
                ++a.users;
            return 0;
        }
    }
    if (static_cast<int>(attached_.size()) >= kMaxFiles) {
        flushDetaches();
        if (static_cast<int>(attached_.size()) >= kMaxFiles)
            return setError(TooManyOpenFiles, path);
    }
    alias = "t" + std::to_string(nextAlias_++);
    const int rc = attachAs(path, readOnly, alias);
    if (rc != SQLITE_DONE) {
        if (sqlite3_get_autocommit(db_) == 0)
            return setError(TransactionActive, path);
        return driverError(rc, db_, path);
    }
    attached_.push_back({alias, canonical, 1, readOnly});
    return 0;
}

int Group::attachAs(const std::string& path, bool readOnly, const std::string& alias)
{
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_, ("ATTACH DATABASE ? AS " + alias).c_str(), -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        std::string uri = uriFor(path, readOnly);
        sqlite3_bind_text(s, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
        rc = waitingFor(busyMs_, [&] {
            const int r = sqlite3_step(s);
            if (busy(r))
                sqlite3_reset(s);
            return r;
        });
        sqlite3_finalize(s);
    }
    return rc;
}

// Statements compiled against a file go with it.
void Group::dropStatements(const std::string& alias)
{
    for (auto c = cache_.begin(); c != cache_.end();) {
        if (c->first.find(alias + ".") != std::string::npos) {
            sqlite3_finalize(c->second);
            c = cache_.erase(c);
        } else {
            ++c;
        }
    }
}

void Group::detach(const std::string& alias)
{
    awaitTurn(); // the waiting thread's statements may be on this file
    auto it = std::find_if(attached_.begin(), attached_.end(), [&](const Attached& a) { return a.alias == alias; });
    if (it == attached_.end())
        return;
    dropStatements(alias);
    if (sqlite3_exec(db_, ("DETACH DATABASE " + alias).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        attached_.erase(it);
    else if (std::find(pendingDetach_.begin(), pendingDetach_.end(), alias) == pendingDetach_.end())
        pendingDetach_.push_back(alias);
}

// A file cannot be detached inside a transaction; it goes when the transaction ends.
void Group::detachLater(const std::string& alias)
{
    awaitTurn();
    auto it = std::find_if(attached_.begin(), attached_.end(), [&](const Attached& a) { return a.alias == alias; });
    if (it == attached_.end())
        return;
    if (it->users > 1) {
        --it->users;
        return;
    }
    if (inTransaction()) {
        if (std::find(pendingDetach_.begin(), pendingDetach_.end(), alias) == pendingDetach_.end())
            pendingDetach_.push_back(alias);
        return;
    }
    detach(alias);
}

void Group::flushDetaches()
{
    if (inTransaction())
        return;
    auto pending = std::move(pendingDetach_);
    pendingDetach_.clear();
    for (auto& a : pending)
        detach(a);
}

bool Group::inTransaction() const
{
    return db_ && sqlite3_get_autocommit(db_) == 0;
}

void Group::setBusySeconds(int seconds)
{
    busyMs_ = std::max(busyMs_, seconds * 1000);
}

int Group::begin(int timeoutSeconds)
{
    if (int e = ensureOpen())
        return e;
    awaitTurn();
    if (inTransaction())
        return setError(TransactionActive, mainFile_);
    const int rc = waitingFor(std::max(0, timeoutSeconds) * 1000,
        [&] { return sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); });
    if (rc != SQLITE_OK) {
        if ((rc & 0xFF) == SQLITE_BUSY)
            return setError(FileLocked, mainFile_);
        return driverError(rc, db_, mainFile_);
    }
    return setError(NoError);
}

int Group::commit()
{
    awaitTurn();
    if (!inTransaction())
        return setError(NoTransaction, mainFile_);
    // Other programs reading the files are waited for; the transaction stays open meanwhile.
    const int rc = waitingFor(busyMs_, [&] { return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); });
    if (rc != SQLITE_OK)
        return driverError(rc, db_, mainFile_);
    flushDetaches();
    return setError(NoError);
}

int Group::rollback()
{
    awaitTurn();
    if (!inTransaction())
        return setError(NoTransaction, mainFile_);
    int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return driverError(rc, db_, mainFile_);
    flushDetaches();
    return setError(NoError);
}

} // namespace qv::tables
