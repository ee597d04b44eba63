#include "platform/tables/group.h"

#include "platform/tables/errors.h"
#include "platform/tables/view.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
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

ReadHold::ReadHold(Group& group, const std::string& alias)
{
    if (group.inTransaction() || alias.empty())
        return;
    // A statement left on its first row keeps the connection's read transaction open
    // until it is reset; the files the run reads meanwhile stay locked for reading.
    s_ = group.statement("SELECT 1 FROM " + alias + ".sqlite_master LIMIT 1");
    if (s_ && group.step(s_) != SQLITE_ROW) {
        sqlite3_reset(s_);
        s_ = nullptr;
    }
}

ReadHold::~ReadHold()
{
    if (s_)
        sqlite3_reset(s_);
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

namespace {

bool notADatabase(int rc)
{
    return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT;
}

// Replaces the file with an empty one (an empty file is an empty database).
bool makeEmpty(const std::string& path)
{
    const std::string tmp = path + ".new" + std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 && ::close(fd) == 0 && ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

std::uint32_t bigEndian(const unsigned char* b)
{
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

// The super-journal a hot rollback journal names at its end (the four-byte name length
// and checksum, then the journal magic, follow the name), or "". A journal whose header
// is still zero was never synced: SQLite ignores it, and so does this.
std::string superJournalOf(const std::string& journal)
{
    static const unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string name;
    struct stat st;
    unsigned char first = 0;
    unsigned char tail[16];
    if (::fstat(fd, &st) == 0 && st.st_size >= 16 && ::pread(fd, &first, 1, 0) == 1 && first != 0
        && ::pread(fd, tail, 16, st.st_size - 16) == 16 && std::memcmp(tail + 8, kMagic, 8) == 0) {
        const std::uint32_t length = bigEndian(tail);
        std::uint32_t sum = bigEndian(tail + 4);
        if (length > 0 && length <= 65536 && length <= st.st_size - 16) {
            name.resize(length);
            if (::pread(fd, name.data(), length, st.st_size - 16 - length) != static_cast<ssize_t>(length))
                name.clear();
            for (char c : name)
                sum -= static_cast<std::uint32_t>(static_cast<int>(static_cast<signed char>(c)));
            if (sum != 0)
                name.clear();
        }
    }
    ::close(fd);
    return name;
}

bool sameFile(const std::string& a, const struct stat& b)
{
    struct stat st;
    return ::stat(a.c_str(), &st) == 0 && st.st_dev == b.st_dev && st.st_ino == b.st_ino;
}

// A super-journal is still needed while one of the journals it lists is hot and names it
// back: their files are rolled back through it.
bool superJournalInUse(const std::string& super)
{
    struct stat self;
    if (::stat(super.c_str(), &self) != 0)
        return false;
    std::ifstream in(super, std::ios::binary);
    const std::string names((std::istreambuf_iterator<char>(in)), {});
    for (std::size_t at = 0; at < names.size();) {
        std::size_t end = names.find('\0', at);
        if (end == std::string::npos)
            end = names.size();
        const std::string journal = names.substr(at, end - at);
        at = end + 1;
        if (journal.empty() || ::access(journal.c_str(), F_OK) != 0)
            continue;
        const std::string named = superJournalOf(journal);
        if (!named.empty() && (named == super || sameFile(named, self)))
            return true;
    }
    return false;
}

bool hexDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

} // namespace

int Group::ensureOpen()
{
    if (db_)
        return 0;
    int rc = sqlite3_open_v2(
        mainFile_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
    if (rc == SQLITE_OK
        && notADatabase(sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr))) {
        // The main file holds nothing of the user's: a damaged one is made anew rather
        // than failing the tables attached to it.
        sqlite3_close_v2(db_);
        db_ = nullptr;
        rc = makeEmpty(mainFile_) ? sqlite3_open_v2(
                 mainFile_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr)
                                  : SQLITE_NOTADB;
    }
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
    // A text key component's stored folded copy of a value that fills a field of n
    // characters, so a join can compare a parent's field with a key the way a fetch does.
    sqlite3_create_function(
        db_, "qv_fold_key", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        [](sqlite3_context* ctx, int, sqlite3_value** argv) {
            const char* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
            const std::string_view whole(t ? t : "", static_cast<size_t>(sqlite3_value_bytes(argv[0])));
            const auto n = static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_value_int64(argv[1])));
            std::string folded = qv::text::foldKey(qv::text::firstChars(whole, n));
            sqlite3_result_text(ctx, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
        },
        nullptr, nullptr);
    // Every wait is the driver's, in slices that let the other threads run: SQLite itself
    // answers at once when a file is locked.
    sqlite3_busy_timeout(db_, 0);
    run("PRAGMA journal_mode=DELETE");
    run("PRAGMA synchronous=FULL");
    removeStaleSuperJournals();
    return 0;
}

// A program ended in the middle of a commit across files can leave its super-journal
// behind ("<main file>-mj" and nine hex digits). SQLite deletes one only while rolling
// back a journal that names it, so one that no journal names stays for ever. It is
// removed here, under a write lock on the main file: every commit of this group holds
// that lock, so none is writing a super-journal meanwhile.
void Group::removeStaleSuperJournals()
{
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return; // another program is writing: its super-journal is live, and it cleans up next time
    const std::filesystem::path main(mainFile_);
    const std::string prefix = main.filename().string() + "-mj";
    std::error_code ec;
    const std::filesystem::path folder = main.has_parent_path() ? main.parent_path() : std::filesystem::path(".");
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 9 || name.compare(0, prefix.size(), prefix) != 0
            || !hexDigits(std::string_view(name).substr(prefix.size())))
            continue;
        const std::string super = std::filesystem::absolute(entry.path(), ec).string();
        if (!superJournalInUse(super))
            ::unlink(super.c_str());
        else
            heldSupers_.push_back(super);
    }
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// A super-journal kept at the opening belongs to a program that ended: no commit writes
// it any more. Once the files attached since have been rolled back through it, it goes
// too, although a journal that was never synced still names it (SQLite keeps it then).
void Group::removeFinishedSuperJournals()
{
    std::erase_if(heldSupers_, [](const std::string& super) {
        if (superJournalInUse(super))
            return false;
        ::unlink(super.c_str());
        return true;
    });
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
    if (!takeTurn(rcOut))
        return nullptr;
    auto it = cache_.find(sql);
    if (it != cache_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* s = prepare(sql, rcOut);
    if (s)
        cache_[sql] = s;
    return s;
}

sqlite3_stmt* Group::ownStatement(const std::string& sql, int* rcOut)
{
    return takeTurn(rcOut) ? prepare(sql, rcOut) : nullptr;
}

bool Group::takeTurn(int* rcOut)
{
    if (rcOut)
        *rcOut = SQLITE_OK;
    if (ensureOpen()) {
        if (rcOut)
            *rcOut = SQLITE_CANTOPEN;
        return false;
    }
    awaitTurn();
    return true;
}

sqlite3_stmt* Group::prepare(const std::string& sql, int* rcOut)
{
    sqlite3_stmt* s = nullptr;
    int rc = waitingFor(
        busyMs_, [&] { return sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr); });
    if (rc != SQLITE_OK) {
        if (rcOut)
            *rcOut = rc;
        return nullptr;
    }
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
    removeFinishedSuperJournals(); // attaching rolled back the file's hot journal
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
    std::string held;
    const int rc = beginWrite(std::max(0, timeoutSeconds) * 1000, {}, held);
    if (rc != SQLITE_OK) {
        if ((rc & 0xFF) == SQLITE_BUSY)
            return setError(FileLocked, mainFile_);
        return driverError(rc, db_, mainFile_);
    }
    if (!held.empty())
        return heldInWalError(held);
    return setError(NoError);
}

std::vector<std::string> Group::filesInWal(const std::string& onlyAlias)
{
    std::vector<std::string> wal;
    for (const Attached& a : attached_) {
        if (a.readOnly || (!onlyAlias.empty() && a.alias != onlyAlias))
            continue;
        sqlite3_stmt* s = statement("PRAGMA " + a.alias + ".journal_mode");
        if (!s)
            continue;
        StatementUse use(s);
        if (sqlite3_step(s) == SQLITE_ROW
            && sqlite3_strnicmp(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal", 3) == 0)
            wal.push_back(a.alias);
    }
    return wal;
}

int Group::beginWrite(std::int64_t budgetMs, const std::string& onlyAlias, std::string& heldInWal)
{
    heldInWal.clear();
    auto begin = [&] {
        return waitingFor(budgetMs, [&] { return sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); });
    };
    // The journal mode is known for certain once the transaction has read each file.
    int rc = begin();
    if (rc != SQLITE_OK)
        return rc;
    std::vector<std::string> wal = filesInWal(onlyAlias);
    if (wal.empty())
        return rc;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    // Another program that has the file open keeps it in WAL mode: the switch fails then.
    for (const std::string& alias : wal)
        sqlite3_exec(db_, ("PRAGMA " + alias + ".journal_mode=DELETE").c_str(), nullptr, nullptr, nullptr);
    rc = begin();
    if (rc != SQLITE_OK)
        return rc;
    wal = filesInWal(onlyAlias);
    if (wal.empty())
        return rc;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    for (const Attached& a : attached_)
        if (a.alias == wal.front())
            heldInWal = a.path;
    return SQLITE_OK;
}

int heldInWalError(const std::string& file)
{
    return setErrorText(FileLocked, file, "Another program holds " + file + " in WAL mode");
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
    noteRollback();
    if (rc != SQLITE_OK)
        return driverError(rc, db_, mainFile_);
    flushDetaches();
    return setError(NoError);
}

} // namespace qv::tables
