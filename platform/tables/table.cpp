#include "platform/tables/table.h"

#include "platform/tables/group.h"
#include "platform/tables/sql.h"
#include "platform/tables/view.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace qv::tables {

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

bool usedInKey(const TableDef& def, int field)
{
    for (const auto& k : def.keys)
        for (const auto& c : k.components)
            if (def.fieldIndex(c) == field)
                return true;
    return false;
}

// The largest value a field can be numbered up to.
std::int64_t fieldMax(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Byte:
        return 255;
    case FieldType::Short:
        return 32767;
    case FieldType::Long:
        return 2147483647;
    case FieldType::Decimal:
        return pow10(std::min(f.digits(), 18)) - 1;
    case FieldType::String:
        return kMax;
    }
    return kMax;
}

void syncFolder(const fs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Serialises the programs that put new table files into one folder.
class FolderLock
{
public:
    explicit FolderLock(const fs::path& folder)
        : fd_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) { }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

fs::path folderOf(const std::string& path)
{
    fs::path p(path);
    return p.has_parent_path() ? p.parent_path() : fs::path(".");
}

// A symbolic link whose target is not there (a collection on a drive that is not
// mounted). Such a link is never replaced by a new table.
bool danglingLink(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0;
}

int missingTarget(const std::string& path)
{
    return setError(FileSystemError, path, std::strerror(ENOENT), ENOENT);
}

// What is at the path now: a table someone else just created (kept, and opened by
// the caller), or a link to nothing.
int existingFile(const std::string& path)
{
    return danglingLink(path) ? missingTarget(path) : setError(NoError);
}

// Puts a finished new file at the path unless something is there already.
int putInPlace(const std::string& tmp, const std::string& path)
{
    FolderLock lock(folderOf(path));
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        ::unlink(tmp.c_str());
        return existingFile(path);
    }
    // A journal whose file is gone would be played back into the new one. With the
    // file missing and every creator behind the lock, no program is writing it.
    ::unlink((path + "-journal").c_str());
    if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return setError(NoError);
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        // A file system without that rename: a hard link is as exclusive, and on one
        // without links the lock keeps the creators apart.
        if (::link(tmp.c_str(), path.c_str()) == 0) {
            ::unlink(tmp.c_str());
            return setError(NoError);
        }
        err = errno;
        if (err != EEXIST) {
            if (::rename(tmp.c_str(), path.c_str()) == 0)
                return setError(NoError);
            err = errno;
        }
    }
    ::unlink(tmp.c_str());
    if (err == EEXIST)
        return existingFile(path);
    return setError(FileSystemError, path, std::strerror(err), err);
}

} // namespace

int fetchLevel(int r)
{
    return r == 0 ? 0 : (r == RecordNotFound || r == RecordNotAvailable) ? 5 : 3;
}

Table::Table(TableDef def)
    : def_(std::move(def))
    , record_(def_)
    , fileName_(def_.fileName)
    , password_(def_.ownerPassword)
{
    derivePaths();
    for (int i = 0; i < static_cast<int>(def_.fields.size()); ++i)
        if (def_.fields[i].type == FieldType::String && usedInKey(def_, i))
            keyedStringFields_.push_back(i);
    if (encrypted()) {
        selectList_ = "_rid, _chg, _data";
    } else {
        selectList_ = "_rid, _chg";
        for (const auto& f : def_.fields)
            selectList_ += ", " + quoteId(std::string(bareName(f.name)));
        for (const auto& m : def_.memos)
            selectList_ += ", " + quoteId(std::string(bareName(m.name)));
    }
}

Table::~Table()
{
    if (file_)
        std::fclose(file_);
    if (openCount_ > 0 && openGroup_ && !alias_.empty())
        openGroup_->detachLater(alias_);
}

void Table::setFileName(std::string name)
{
    fileName_ = std::move(name);
    derivePaths();
}

void Table::derivePaths()
{
    fs::path p(fileName_);
    if (def_.driver == DriverKind::Keyed && !p.has_extension())
        p += ".tps";
    filePath_ = p.string();
    writeKey_ = text::lower(filePath_);
}

Group& Table::group() const
{
    if (group_)
        return *group_;
    return Group::forFolder(fs::path(filePath()).parent_path().string());
}

int Table::sendOption(const std::string& option)
{
    const std::string up = text::asciiUpper(option);
    if (up == "QUICKSCAN" || up.rfind("QUICKSCAN=", 0) == 0)
        return 0;
    if (up.rfind("RECOVER", 0) == 0) {
        int seconds = 10;
        auto eq = up.find('=');
        if (eq != std::string::npos)
            seconds = std::atoi(up.c_str() + eq + 1);
        group().setBusySeconds(seconds);
        return 0;
    }
    return 0;
}

std::string Table::sqlTable() const
{
    return alias_ + "." + quoteId(def_.storedName());
}

std::string Table::columnOf(int field) const
{
    return quoteId(std::string(bareName(def_.fields[field].name)));
}

std::string Table::keyColumnOf(int field) const
{
    if (encrypted() || def_.fields[field].type == FieldType::String)
        return quoteId("_k_" + std::string(bareName(def_.fields[field].name)));
    return columnOf(field);
}

KeyValue Table::keyValueOf(int field) const
{
    const auto& f = def_.fields[field];
    if (f.type == FieldType::String)
        return text::foldKey(record_.rawString(field));
    if (f.type == FieldType::Decimal)
        return record_.decimalUnits(field);
    return record_.getInt(field);
}

std::vector<std::string> Table::keyOrderColumns(int key) const
{
    std::vector<std::string> cols;
    if (key < 0)
        return cols;
    for (const auto& c : def_.keys[key].components)
        cols.push_back(keyColumnOf(def_.fieldIndex(c)));
    return cols;
}

std::string Table::keyWhere(int key, const std::string& qualifier) const
{
    if (key < 0 || !def_.keys[key].excludeEmpty)
        return {};
    std::vector<std::string> empties;
    for (const auto& c : def_.keys[key].components) {
        int fi = def_.fieldIndex(c);
        std::string col = qualifier + keyColumnOf(fi);
        if (encrypted())
            empties.push_back(col + " IS NULL");
        else
            empties.push_back(col + (def_.fields[fi].type == FieldType::String ? " = ''" : " = 0"));
    }
    return "NOT (" + joinSql(empties, " AND ") + ")";
}

std::string Table::firstInKeySql(int key, const std::vector<std::string>& values, const std::string& what) const
{
    auto cols = keyOrderColumns(key);
    std::vector<std::string> where;
    for (size_t i = 0; i < values.size() && i < cols.size(); ++i)
        where.push_back(cols[i] + " = " + values[i]);
    if (auto w = keyWhere(key); !w.empty())
        where.push_back(w);
    cols.push_back("_rid");
    return "SELECT " + what + " FROM " + sqlTable() + (where.empty() ? "" : " WHERE " + joinSql(where, " AND "))
        + " ORDER BY " + joinSql(cols, ", ") + " LIMIT 1";
}

std::string Table::createSql() const
{
    std::vector<std::string> cols{"_rid INTEGER PRIMARY KEY", "_chg INTEGER NOT NULL DEFAULT 1"};
    for (const auto& f : def_.fields) {
        std::string c = quoteId(std::string(bareName(f.name)));
        if (f.type == FieldType::String)
            c += " TEXT NOT NULL DEFAULT ''";
        else
            c += " INTEGER NOT NULL DEFAULT 0";
        if (f.type == FieldType::Decimal && f.places > 0)
            c += " /* DECIMAL(" + std::to_string(f.length) + "," + std::to_string(f.places) + ") in units of 1e-"
                + std::to_string(f.places) + " */";
        cols.push_back(c);
    }
    for (const auto& m : def_.memos)
        cols.push_back(quoteId(std::string(bareName(m.name))) + " TEXT NOT NULL DEFAULT ''");
    if (encrypted()) {
        cols.push_back("_data BLOB");
        for (int i = 0; i < static_cast<int>(def_.fields.size()); ++i)
            if (usedInKey(def_, i))
                cols.push_back(keyColumnOf(i) + " BLOB");
    } else {
        for (int i : keyedStringFields_)
            cols.push_back(keyColumnOf(i) + " TEXT NOT NULL DEFAULT ''");
    }
    return "CREATE TABLE " + quoteId(def_.storedName()) + " (\n  " + joinSql(cols, ",\n  ") + "\n)";
}

// The record count kept by the file itself, so a list's "n entries" costs one
// row instead of a walk over a whole key; triggers keep it right whoever writes.
std::string Table::countSql(const std::string& schema) const
{
    const std::string t = quoteId(def_.storedName());
    return "CREATE TABLE IF NOT EXISTS " + schema + ".qv_count (n INTEGER NOT NULL); DELETE FROM " + schema
        + ".qv_count; INSERT INTO " + schema + ".qv_count SELECT count(*) FROM " + schema + "." + t
        + "; CREATE TRIGGER IF NOT EXISTS " + schema + ".qv_count_insert AFTER INSERT ON " + t
        + " BEGIN UPDATE qv_count SET n = n + 1; END; CREATE TRIGGER IF NOT EXISTS " + schema
        + ".qv_count_delete AFTER DELETE ON " + t + " BEGIN UPDATE qv_count SET n = n - 1; END;";
}

std::vector<std::string> Table::indexSql() const
{
    std::vector<std::string> out;
    for (int k = 0; k < static_cast<int>(def_.keys.size()); ++k) {
        const auto& key = def_.keys[k];
        std::string sql = std::string("CREATE ") + (key.unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS "
            + quoteId(std::string(bareName(key.name))) + " ON " + quoteId(def_.storedName()) + " ("
            + joinSql(keyOrderColumns(k), ", ") + ")";
        if (auto w = keyWhere(k); !w.empty())
            sql += " WHERE " + w;
        out.push_back(sql);
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// create, open, close

int Table::create()
{
    if (def_.driver != DriverKind::Keyed)
        return textCreate();
    std::string path = filePath();
    if (isOpen())
        return setError(AlreadyOpen, path);
    fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path() && !fs::is_directory(target.parent_path(), ec))
        return setError(PathNotFound, path);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return existingFile(path);
    // Built under a name of this process's own and put in place only where nothing is, so
    // a failed create leaves nothing behind and two programs creating the same table at
    // once both end up with the first one's file.
    static std::atomic<unsigned> serial{0};
    const std::string tmp = path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fs::remove(tmp, ec);
    fs::remove(tmp + "-journal", ec);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string script = "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN; " + createSql() + ";";
    for (const auto& s : indexSql())
        script += s + ";";
    script += countSql("main");
    script += "PRAGMA user_version=" + std::to_string(std::max(def_.version, 0)) + ";";
    if (encrypted())
        script += "CREATE TABLE qv_owner (salt BLOB NOT NULL, verifier BLOB NOT NULL);";
    script += "COMMIT;";
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && encrypted()) {
        // The salt and a sealed check value let a wrong password be told from a damaged file.
        extern int qvCreateOwnerKey(sqlite3*, const std::string&);
        rc = qvCreateOwnerKey(db, password_);
    }
    int err = rc == SQLITE_OK ? 0 : driverError(rc, db, path);
    sqlite3_close_v2(db);
    if (err) {
        fs::remove(tmp, ec);
        fs::remove(tmp + "-journal", ec);
        return err;
    }
    if (int e = putInPlace(tmp, path))
        return e;
    syncFolder(target.parent_path());
    return setError(NoError);
}

int Table::open(int access)
{
    if (openCount_ > 0) {
        ++openCount_;
        return setError(AlreadyOpen, filePath());
    }
    access_ = access;
    int r = def_.driver == DriverKind::Keyed ? keyedOpen(access) : textOpen(access);
    if (r == 0) {
        openCount_ = 1;
        pos_ = Position{};
    }
    return r;
}

int Table::close()
{
    if (openCount_ == 0)
        return setError(FileNotOpen, filePath());
    if (--openCount_ > 0)
        return setError(NoError);
    if (def_.driver == DriverKind::Keyed) {
        openGroup_->detachLater(alias_);
        alias_.clear();
        openGroup_ = nullptr;
        cryptKey_.clear();
    } else if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    return setError(NoError);
}

// Tells files that are not tables of ours, or are cut short, from good ones before SQLite
// sees them.
int Table::checkFile(const std::string& path)
{
    std::error_code ec;
    fs::path p(path);
    if (p.has_parent_path() && !fs::is_directory(p.parent_path(), ec))
        return setError(PathNotFound, path);
    if (!fs::exists(p, ec)) {
        if (danglingLink(path))
            return missingTarget(path);
        if (ec && ec != std::errc::no_such_file_or_directory)
            return setError(FileSystemError, path, ec.message(), ec.value());
        return setError(FileNotFound, path);
    }
    auto size = fs::file_size(p, ec);
    if (ec)
        return setError(FileSystemError, path, ec.message(), ec.value());
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return setError(AccessDenied, path);
    unsigned char h[100] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    if (size < 100 || std::memcmp(h, "SQLite format 3", 16) != 0)
        return setError(InvalidFile, path);
    std::uint32_t pageSize = (h[16] << 8) | h[17];
    if (pageSize == 1)
        pageSize = 65536;
    std::uint32_t pages = (std::uint32_t(h[28]) << 24) | (h[29] << 16) | (h[30] << 8) | h[31];
    bool sizeValid = std::memcmp(h + 24, h + 92, 4) == 0 && pages > 0;
    bool hotJournal = fs::exists(path + "-journal", ec);
    if (sizeValid && !hotJournal && size < std::uint64_t(pages) * pageSize)
        return setError(InvalidFile, path);
    return 0;
}

int Table::keyedOpen(int access)
{
    std::string path = filePath();
    if (int e = checkFile(path))
        return e;
    Group& g = group();
    std::string alias;
    if (int e = g.attach(path, (access & 0x0F) == ReadOnly, alias))
        return e;
    alias_ = alias;
    openGroup_ = &g;
    sqlText_.clear();
    int e = verifySchema();
    if (e) {
        g.detachLater(alias);
        alias_.clear();
        openGroup_ = nullptr;
        return setError(e, path);
    }
    return setError(NoError);
}

Table::FileStamp Table::stampOf(const std::string& path)
{
    // A file in WAL mode may change without its own header or time moving.
    if (::access((path + "-wal").c_str(), F_OK) == 0)
        return {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st;
    unsigned char counter[4] = {}; // the header's change counter: every commit moves it
    const bool ok = ::fstat(fd, &st) == 0 && ::pread(fd, counter, sizeof counter, 24) == sizeof counter;
    ::close(fd);
    if (!ok)
        return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
        (std::uint32_t(counter[0]) << 24) | (std::uint32_t(counter[1]) << 16) | (std::uint32_t(counter[2]) << 8)
            | counter[3]};
}

// Looks the file over: its table, seal, version, every declared column and
// key; counts the parts of the kept record count it holds.
int Table::inspectFile(int& counting)
{
    Group& g = *openGroup_;
    const std::string path = filePath();
    int rc = 0;
    counting = 0;
    sqlite3_stmt* s = g.statement("SELECT type, name FROM " + alias_ + ".sqlite_master", &rc);
    if (!s)
        return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT ? InvalidFile
                                                                             : driverError(rc, g.db(), path);
    bool haveTable = false, sealed = false;
    std::vector<std::string> indexes;
    {
        StatementUse use(s);
        for (rc = g.step(s); rc == SQLITE_ROW; rc = sqlite3_step(s)) {
            std::string type = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            std::string name = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            if (type == "table" && sameName(name, def_.storedName()))
                haveTable = true;
            if (type == "table" && name == "qv_owner")
                sealed = true;
            if ((type == "table" && name == "qv_count") || (type == "trigger" && name.starts_with("qv_count_")))
                ++counting;
            if (type == "index")
                indexes.push_back(name);
        }
        if (rc != SQLITE_DONE) {
            int c = rc & 0xFF;
            return c == SQLITE_NOTADB || c == SQLITE_CORRUPT ? InvalidFile : driverError(rc, g.db(), path);
        }
    }
    // A sealed file read without its password would show blank records.
    if (!haveTable || sealed != encrypted())
        return InvalidFile;
    s = g.statement("PRAGMA " + alias_ + ".user_version", &rc);
    if (!s)
        return driverError(rc, g.db(), path);
    {
        StatementUse use(s);
        if (g.step(s) != SQLITE_ROW)
            return InvalidFile;
        if (def_.version >= 0 && sqlite3_column_int(s, 0) != def_.version)
            return InvalidFile;
    }
    // Every declared column must be there; a file of another layout is another table.
    s = g.statement("SELECT name FROM pragma_table_info(?, '" + alias_ + "')", &rc);
    if (!s)
        return driverError(rc, g.db(), path);
    std::vector<std::string> cols;
    {
        StatementUse use(s);
        sqlite3_bind_text(s, 1, def_.storedName().c_str(), -1, SQLITE_TRANSIENT);
        for (int r = g.step(s); r == SQLITE_ROW; r = sqlite3_step(s))
            cols.push_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    }
    auto has = [&](const std::string& name) {
        for (const auto& c : cols)
            if (sameName(c, name))
                return true;
        return false;
    };
    for (const auto& f : def_.fields)
        if (!has(std::string(bareName(f.name))))
            return InvalidFile;
    for (const auto& m : def_.memos)
        if (!has(std::string(bareName(m.name))))
            return InvalidFile;
    if (encrypted() && !has("_data"))
        return InvalidFile;
    for (const auto& k : def_.keys) {
        bool found = false;
        for (const auto& i : indexes)
            found = found || sameName(i, std::string(bareName(k.name)));
        if (!found)
            return BadKeys;
    }
    return 0;
}

int Table::verifySchema()
{
    Group& g = *openGroup_;
    const std::string path = filePath();
    // A file found sound and not written since (the same file, size and time) is not
    // looked over again, so a window opened again opens its tables at once.
    const FileStamp stamp = stampOf(path);
    int counting = verifiedCounting_;
    if (!stamp.valid || stamp != verified_) {
        verified_ = FileStamp{};
        if (const int bad = inspectFile(counting))
            return bad;
    }
    g.exec("PRAGMA " + alias_ + ".synchronous=FULL");
    counted_ = counting == 3;
    // A file made before it kept its count learns it once, when it can be written.
    if (!counted_ && (access_ & 0x0F) != ReadOnly && !g.inTransaction()) {
        if (g.exec("BEGIN; " + countSql(alias_) + " COMMIT;") == 0)
            counted_ = true;
        else
            g.exec("ROLLBACK");
    }
    // A file another tool switched to WAL would commit on its own, outside the group: it
    // goes back to the rollback journal now if it can, and is refused writes while it cannot.
    if ((access_ & 0x0F) != ReadOnly) {
        sqlite3_stmt* j = g.statement("PRAGMA " + alias_ + ".journal_mode");
        bool wal = false;
        if (j) {
            StatementUse use(j);
            wal = g.step(j) == SQLITE_ROW
                && sqlite3_strnicmp(reinterpret_cast<const char*>(sqlite3_column_text(j, 0)), "wal", 3) == 0;
        }
        // Not waited for: a program that keeps the file open keeps it in WAL mode.
        if (wal)
            sqlite3_exec(g.db(), ("PRAGMA " + alias_ + ".journal_mode=DELETE").c_str(), nullptr, nullptr, nullptr);
    }
    verified_ = stampOf(path); // after the count it may have learnt
    verifiedCounting_ = counted_ ? 3 : counting;
    if (encrypted())
        return deriveKey();
    return 0;
}

int Table::requireOpen(bool write)
{
    if (!isOpen())
        return setError(FileNotOpen, filePath());
    if (write && (access_ & 0x0F) == ReadOnly)
        return setError(AccessDenied, filePath());
    return 0;
}

// ---------------------------------------------------------------------------------------
// reading

void Table::loadRow(void* stmtPtr, int first)
{
    auto* s = static_cast<sqlite3_stmt*>(stmtPtr);
    record_.recordId = sqlite3_column_int64(s, first);
    std::int64_t chg = sqlite3_column_int64(s, first + 1);
    if (encrypted()) {
        decryptRecord(sqlite3_column_blob(s, first + 2), sqlite3_column_bytes(s, first + 2));
        record_.recordId = sqlite3_column_int64(s, first);
        record_.changeCount = chg;
        return;
    }
    record_.changeCount = chg;
    int col = first + 2;
    for (int i = 0; i < static_cast<int>(def_.fields.size()); ++i, ++col)
        loadField(s, col, i);
    for (int m = 0; m < static_cast<int>(def_.memos.size()); ++m, ++col) {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        record_.setMemo(m, std::string_view(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(s, col))));
    }
}

void Table::loadField(void* stmtPtr, int col, int field)
{
    auto* s = static_cast<sqlite3_stmt*>(stmtPtr);
    switch (def_.fields[field].type) {
    case FieldType::String: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        record_.setString(field, std::string_view(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(s, col))));
        break;
    }
    case FieldType::Decimal:
        record_.setDecimalUnits(field, sqlite3_column_int64(s, col));
        break;
    default:
        record_.setInt(field, sqlite3_column_int64(s, col));
    }
}

void Table::loadFields(void* stmtPtr, int first, const std::vector<int>& fields, const std::vector<int>& memos)
{
    auto* s = static_cast<sqlite3_stmt*>(stmtPtr);
    for (int i : fields)
        loadField(s, first + 2 + i, i);
    for (int m : memos) {
        int col = first + 2 + static_cast<int>(def_.fields.size()) + m;
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        record_.setMemo(m, std::string_view(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(s, col))));
    }
}

void Table::positionOnRecord()
{
    pos_.mode = Position::After;
    pos_.values.clear();
    if (pos_.key >= 0)
        for (const auto& c : def_.keys[pos_.key].components)
            pos_.values.push_back(keyValueOf(def_.fieldIndex(c)));
    pos_.recordId = record_.recordId;
}

int Table::setOrder(int key)
{
    if (def_.driver != DriverKind::Keyed) {
        if (int e = requireOpen(false))
            return e;
        std::fseek(file_, 0, SEEK_SET);
        return 0;
    }
    if (key >= static_cast<int>(def_.keys.size()))
        key = -1;
    pos_ = Position{Position::Start, key, {}, 0};
    return 0;
}

int Table::setAt(int key)
{
    if (def_.driver != DriverKind::Keyed) {
        if (int e = requireOpen(false))
            return e;
        std::fseek(file_, static_cast<long>(record_.recordId), SEEK_SET);
        return 0;
    }
    if (key >= static_cast<int>(def_.keys.size()))
        key = -1;
    pos_ = Position{Position::At, key, {}, record_.recordId};
    if (key >= 0)
        for (const auto& c : def_.keys[key].components)
            pos_.values.push_back(keyValueOf(def_.fieldIndex(c)));
    return 0;
}

int Table::next()
{
    return def_.driver == DriverKind::Keyed ? read(true) : textRead(true);
}
int Table::previous()
{
    return def_.driver == DriverKind::Keyed ? read(false) : textRead(false);
}

int Table::read(bool forward)
{
    if (int e = requireOpen(false))
        return e;
    if (encrypted())
        return readEncrypted(forward);
    const int key = pos_.key;
    const bool bounded = pos_.mode == Position::At || pos_.mode == Position::After;
    const int id = 1000 + (key + 1) * 8 + (forward ? 4 : 0) + static_cast<int>(pos_.mode);
    const std::string& sql = sqlFor(id, [&] {
        auto cols = keyOrderColumns(key);
        cols.push_back("_rid");
        std::vector<std::string> where;
        if (auto w = keyWhere(key); !w.empty())
            where.push_back(w);
        if (bounded) {
            std::string op = pos_.mode == Position::At ? (forward ? ">=" : "<=") : (forward ? ">" : "<");
            std::vector<std::string> marks(cols.size(), "?");
            where.push_back("(" + joinSql(cols, ", ") + ") " + op + " (" + joinSql(marks, ", ") + ")");
        }
        std::string dir = forward ? "" : " DESC";
        std::string sql = "SELECT " + selectList_ + " FROM " + sqlTable();
        if (!where.empty())
            sql += " WHERE " + joinSql(where, " AND ");
        return sql + " ORDER BY " + joinSql(cols, dir + ", ") + dir + " LIMIT 1";
    });
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(sql, &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    if (bounded) {
        const int i = bindKeyValues(s, pos_.values);
        std::int64_t rid = pos_.recordId;
        if (pos_.mode == Position::At && key >= 0)
            rid = forward ? kMin : kMax;
        sqlite3_bind_int64(s, i, rid);
    }
    rc = openGroup_->step(s);
    if (rc == SQLITE_DONE)
        return setError(RecordNotAvailable, filePath());
    if (rc != SQLITE_ROW)
        return driverError(rc, openGroup_->db(), filePath());
    loadRow(s, 0);
    positionOnRecord();
    return setError(NoError);
}

int Table::fetch(int key)
{
    if (def_.driver != DriverKind::Keyed || key < 0 || key >= static_cast<int>(def_.keys.size()))
        return setError(RecordNotFound, filePath());
    if (int e = requireOpen(false))
        return e;
    if (encrypted())
        return fetchEncrypted(key);
    return fetchFirst(key, static_cast<int>(def_.keys[key].components.size()));
}

int Table::fetchFirst(int key, int n)
{
    if (def_.driver != DriverKind::Keyed || key < 0 || key >= static_cast<int>(def_.keys.size()) || encrypted())
        return setError(RecordNotFound, filePath());
    if (int e = requireOpen(false))
        return e;
    const auto& comps = def_.keys[key].components;
    n = std::clamp(n, 0, static_cast<int>(comps.size()));
    const std::string& sql = sqlFor(3000 + key * 64 + n,
        [&] { return firstInKeySql(key, std::vector<std::string>(static_cast<size_t>(n), "?"), selectList_); });
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(sql, &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    for (int i = 0; i < n; ++i)
        bindKeyValue(s, i + 1, keyValueOf(def_.fieldIndex(comps[static_cast<size_t>(i)])));
    rc = openGroup_->step(s);
    if (rc == SQLITE_DONE)
        return setError(RecordNotFound, filePath());
    if (rc != SQLITE_ROW)
        return driverError(rc, openGroup_->db(), filePath());
    loadRow(s, 0);
    pos_.key = key;
    positionOnRecord();
    return setError(NoError);
}

int Table::fetchRecord(std::int64_t recordId)
{
    if (def_.driver != DriverKind::Keyed) {
        if (int e = requireOpen(false))
            return e;
        std::fseek(file_, static_cast<long>(recordId), SEEK_SET);
        return textRead(true);
    }
    if (int e = requireOpen(false))
        return e;
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(
        sqlFor(1, [&] { return "SELECT " + selectList_ + " FROM " + sqlTable() + " WHERE _rid = ?"; }), &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    sqlite3_bind_int64(s, 1, recordId);
    rc = openGroup_->step(s);
    if (rc == SQLITE_DONE)
        return setError(RecordNotFound, filePath());
    if (rc != SQLITE_ROW)
        return driverError(rc, openGroup_->db(), filePath());
    loadRow(s, 0);
    positionOnRecord();
    return setError(NoError);
}

int Table::last()
{
    if (int e = requireOpen(false))
        return e;
    if (def_.driver != DriverKind::Keyed)
        return setError(RecordNotAvailable, filePath());
    int rc = 0;
    sqlite3_stmt* s
        = openGroup_->statement("SELECT " + selectList_ + " FROM " + sqlTable() + " ORDER BY _rid DESC LIMIT 1", &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    rc = openGroup_->step(s);
    if (rc == SQLITE_DONE)
        return setError(RecordNotAvailable, filePath());
    if (rc != SQLITE_ROW)
        return driverError(rc, openGroup_->db(), filePath());
    loadRow(s, 0);
    pos_.key = -1;
    positionOnRecord();
    return setError(NoError);
}

std::int64_t Table::records()
{
    return records(-1);
}

std::int64_t Table::records(int key)
{
    if (requireOpen(false))
        return 0;
    if (def_.driver != DriverKind::Keyed) {
        // A text file counts its lines, a binary one its blocks.
        long here = std::ftell(file_);
        std::fseek(file_, 0, SEEK_END);
        long size = std::ftell(file_);
        std::int64_t n = 0;
        if (def_.driver == DriverKind::Binary) {
            n = (size + def_.recordLength() - 1) / std::max(1, def_.recordLength());
        } else {
            std::fseek(file_, 0, SEEK_SET);
            int c, prev = '\n';
            while ((c = std::fgetc(file_)) != EOF) {
                if (c == '\n')
                    ++n;
                prev = c;
            }
            if (prev != '\n')
                ++n;
        }
        std::fseek(file_, here, SEEK_SET);
        return n;
    }
    std::string sql = "SELECT count(*) FROM " + sqlTable();
    if (auto w = keyWhere(key); key >= 0 && !w.empty())
        sql += " WHERE " + w;
    else if (key < 0 && counted_)
        sql = "SELECT n FROM " + alias_ + ".qv_count";
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(sql, &rc);
    if (!s) {
        driverError(rc, openGroup_->db(), filePath());
        return 0;
    }
    StatementUse use(s);
    rc = openGroup_->step(s);
    if (rc != SQLITE_ROW) {
        driverError(rc, openGroup_->db(), filePath());
        return 0;
    }
    setError(NoError);
    return sqlite3_column_int64(s, 0);
}

// ---------------------------------------------------------------------------------------
// writing

int Table::bindRecord(void* stmtPtr, int i)
{
    auto* s = static_cast<sqlite3_stmt*>(stmtPtr);
    if (encrypted()) {
        std::string blob = encryptRecord();
        sqlite3_bind_blob(s, i++, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        for (int f = 0; f < static_cast<int>(def_.fields.size()); ++f) {
            if (!usedInKey(def_, f))
                continue;
            if (record_.isEmpty(f)) {
                sqlite3_bind_null(s, i++);
            } else {
                auto h = keyHash(keyValueOf(f));
                sqlite3_bind_blob(s, i++, h.data(), static_cast<int>(h.size()), SQLITE_TRANSIENT);
            }
        }
        return i;
    }
    for (int f = 0; f < static_cast<int>(def_.fields.size()); ++f, ++i) {
        const auto& fd = def_.fields[f];
        if (fd.type == FieldType::String) {
            auto t = text::trimRight(record_.rawString(f));
            sqlite3_bind_text(s, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        } else if (fd.type == FieldType::Decimal) {
            sqlite3_bind_int64(s, i, record_.decimalUnits(f));
        } else {
            sqlite3_bind_int64(s, i, record_.getInt(f));
        }
    }
    for (int m = 0; m < static_cast<int>(def_.memos.size()); ++m, ++i)
        sqlite3_bind_text(s, i, record_.memo(m).data(), static_cast<int>(record_.memo(m).size()), SQLITE_TRANSIENT);
    for (int f : keyedStringFields_) {
        std::string k = text::foldKey(record_.rawString(f));
        sqlite3_bind_text(s, i++, k.data(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
    }
    return i;
}

static std::vector<std::string> writeColumns(const Table& t, const TableDef& def, const std::vector<int>& keyedStrings)
{
    std::vector<std::string> cols;
    if (t.encrypted()) {
        cols.push_back("_data");
        for (int f = 0; f < static_cast<int>(def.fields.size()); ++f)
            if (usedInKey(def, f))
                cols.push_back(t.keyColumnOf(f));
        return cols;
    }
    for (int f = 0; f < static_cast<int>(def.fields.size()); ++f)
        cols.push_back(t.columnOf(f));
    for (const auto& m : def.memos)
        cols.push_back(quoteId(std::string(bareName(m.name))));
    for (int f : keyedStrings)
        cols.push_back(t.keyColumnOf(f));
    return cols;
}

// A write that needs several statements runs in a transaction of its own unless the
// caller framed one.
int Table::ownWrite(int (Table::*op)())
{
    Group& g = *openGroup_;
    if (g.inTransaction()) {
        // The caller's transaction decides what becomes of a refused write.
        const int e = (this->*op)();
        return e ? e : setError(NoError);
    }
    std::string heldInWal;
    int rc = g.beginWrite(g.busyMilliseconds(), alias_, heldInWal);
    if (rc != SQLITE_OK)
        return driverError(rc, g.db(), filePath());
    if (!heldInWal.empty())
        return heldInWalError(filePath());
    int e = (this->*op)();
    if (e) {
        ErrorState keep = lastError();
        sqlite3_exec(g.db(), "ROLLBACK", nullptr, nullptr, nullptr);
        setError(keep.code, keep.file, keep.osText, keep.osCode);
        if (keep.code == DuplicateKey)
            setDuplicateKey(keep.file, keep.key);
        return e;
    }
    rc = g.run("COMMIT");
    if (rc != SQLITE_OK) {
        e = driverError(rc, g.db(), filePath());
        if (g.inTransaction())
            sqlite3_exec(g.db(), "ROLLBACK", nullptr, nullptr, nullptr);
        record_.recordId = 0;
        return e;
    }
    return setError(NoError);
}

int Table::insert()
{
    if (def_.driver != DriverKind::Keyed)
        return textWrite(true);
    if (int e = requireOpen(true))
        return e;
    return ownWrite(&Table::doInsert);
}

int Table::autoNumber()
{
    for (int k = 0; k < static_cast<int>(def_.keys.size()); ++k) {
        const auto& key = def_.keys[k];
        if (key.autoNumbered <= 0 || key.autoNumbered > static_cast<int>(key.components.size()))
            continue;
        int fi = def_.fieldIndex(key.components[key.autoNumbered - 1]);
        if (fi < 0 || !record_.isEmpty(fi))
            continue;
        std::int64_t highest = 0;
        if (encrypted()) {
            // Sealed records cannot be searched; the few such records are read through.
            Record keep = record_;
            Position keepPos = pos_;
            pos_ = Position{Position::Start, -1, {}, 0};
            while (readEncrypted(true) == 0) {
                bool same = true;
                for (int c = 0; c + 1 < key.autoNumbered; ++c) {
                    int cf = def_.fieldIndex(key.components[c]);
                    same = same && record_.getString(cf) == keep.getString(cf);
                }
                if (same)
                    highest = std::max(highest, record_.getInt(fi));
            }
            record_ = keep;
            pos_ = keepPos;
        } else {
            const std::string& sql = sqlFor(2000 + k, [&] {
                std::vector<std::string> where;
                auto cols = keyOrderColumns(k);
                for (int c = 0; c + 1 < key.autoNumbered; ++c)
                    where.push_back(cols[c] + " = ?");
                // The key's own condition lets SQLite answer from the key; the records it
                // leaves out are all-empty and would only add a zero. Read from the top of
                // the key's range: max() with a condition would visit the whole range.
                if (auto w = keyWhere(k); !w.empty())
                    where.push_back(w);
                std::string sql = "SELECT " + columnOf(fi) + " FROM " + sqlTable();
                if (!where.empty())
                    sql += " WHERE " + joinSql(where, " AND ");
                return sql + " ORDER BY " + cols[key.autoNumbered - 1] + " DESC LIMIT 1";
            });
            int rc = 0;
            sqlite3_stmt* s = openGroup_->statement(sql, &rc);
            if (!s)
                return driverError(rc, openGroup_->db(), filePath());
            StatementUse use(s);
            for (int c = 0; c + 1 < key.autoNumbered; ++c)
                bindKeyValue(s, c + 1, keyValueOf(def_.fieldIndex(key.components[c])));
            rc = openGroup_->step(s);
            if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                return driverError(rc, openGroup_->db(), filePath());
            highest = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
        }
        const auto& f = def_.fields[fi];
        std::int64_t next = highest + 1;
        if (f.type == FieldType::Decimal)
            next = highest + pow10(f.places);
        if (highest >= fieldMax(f) || next > fieldMax(f)) {
            // The field cannot hold a larger number; wrapping would reuse one.
            setDuplicateKey(filePath(), key.description);
            return DuplicateKey;
        }
        if (f.type == FieldType::Decimal)
            record_.setDecimalUnits(fi, next);
        else
            record_.setInt(fi, next);
    }
    return 0;
}

int Table::findDuplicate()
{
    for (int k = 0; k < static_cast<int>(def_.keys.size()); ++k) {
        const auto& key = def_.keys[k];
        if (!key.unique)
            continue;
        bool allEmpty = true;
        for (const auto& c : key.components)
            allEmpty = allEmpty && record_.isEmpty(def_.fieldIndex(c));
        if (allEmpty && key.excludeEmpty)
            continue;
        std::vector<std::string> where;
        auto cols = keyOrderColumns(k);
        for (const auto& c : cols)
            where.push_back(c + (encrypted() ? " IS ?" : " = ?"));
        where.push_back("_rid <> ?");
        int rc = 0;
        sqlite3_stmt* s = openGroup_->statement(
            "SELECT 1 FROM " + sqlTable() + " WHERE " + joinSql(where, " AND ") + " LIMIT 1", &rc);
        if (!s)
            continue;
        StatementUse use(s);
        int i = 1;
        for (const auto& c : key.components) {
            int fi = def_.fieldIndex(c);
            if (encrypted()) {
                if (record_.isEmpty(fi))
                    sqlite3_bind_null(s, i++);
                else {
                    auto h = keyHash(keyValueOf(fi));
                    sqlite3_bind_blob(s, i++, h.data(), static_cast<int>(h.size()), SQLITE_TRANSIENT);
                }
            } else {
                bindKeyValue(s, i++, keyValueOf(fi));
            }
        }
        sqlite3_bind_int64(s, i, record_.recordId);
        if (openGroup_->step(s) == SQLITE_ROW)
            return k;
    }
    return -1;
}

int Table::doInsert()
{
    if (int e = autoNumber())
        return e;
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(sqlFor(2,
                                                [&] {
                                                    auto cols = writeColumns(*this, def_, keyedStringFields_);
                                                    std::vector<std::string> marks(cols.size(), "?");
                                                    return "INSERT INTO " + sqlTable() + " (" + joinSql(cols, ", ")
                                                        + ") VALUES (" + joinSql(marks, ", ") + ")";
                                                }),
        &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    bindRecord(s, 1);
    rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) {
        if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
            record_.recordId = 0;
            int k = findDuplicate();
            setDuplicateKey(filePath(), k >= 0 ? def_.keys[k].description : std::string());
            return DuplicateKey;
        }
        return driverError(rc, openGroup_->db(), filePath());
    }
    record_.recordId = sqlite3_last_insert_rowid(openGroup_->db());
    record_.changeCount = 1;
    noteWrite(filePath());
    positionOnRecord();
    return 0;
}

int Table::update()
{
    if (def_.driver != DriverKind::Keyed)
        return textWrite(false);
    if (int e = requireOpen(true))
        return e;
    if (record_.recordId == 0)
        return setError(RecordNotAvailable, filePath());
    return ownWrite(&Table::doUpdate);
}

// The record is written only if its change counter is still the one it was read with.
static int changedOrGone(Group& g, const std::string& table, std::int64_t rid, const std::string& file)
{
    sqlite3_stmt* s = g.statement("SELECT 1 FROM " + table + " WHERE _rid = ?");
    if (!s)
        return setError(ChangedByOther, file);
    StatementUse use(s);
    sqlite3_bind_int64(s, 1, rid);
    return setError(sqlite3_step(s) == SQLITE_ROW ? ChangedByOther : RecordNotAvailable, file);
}

int Table::doUpdate()
{
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(sqlFor(3,
                                                [&] {
                                                    auto cols = writeColumns(*this, def_, keyedStringFields_);
                                                    for (auto& c : cols)
                                                        c += " = ?";
                                                    cols.push_back("_chg = _chg + 1");
                                                    return "UPDATE " + sqlTable() + " SET " + joinSql(cols, ", ")
                                                        + " WHERE _rid = ? AND _chg = ?";
                                                }),
        &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    int i = bindRecord(s, 1);
    sqlite3_bind_int64(s, i++, record_.recordId);
    sqlite3_bind_int64(s, i, record_.changeCount);
    rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) {
        if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
            int k = findDuplicate();
            setDuplicateKey(filePath(), k >= 0 ? def_.keys[k].description : std::string());
            return DuplicateKey;
        }
        return driverError(rc, openGroup_->db(), filePath());
    }
    if (sqlite3_changes(openGroup_->db()) == 0)
        return changedOrGone(*openGroup_, sqlTable(), record_.recordId, filePath());
    record_.changeCount += 1;
    noteWrite(filePath());
    positionOnRecord();
    return 0;
}

int Table::remove()
{
    if (def_.driver != DriverKind::Keyed)
        return setError(AccessDenied, filePath());
    if (int e = requireOpen(true))
        return e;
    if (record_.recordId == 0)
        return setError(RecordNotAvailable, filePath());
    return ownWrite(&Table::doRemove);
}

int Table::doRemove()
{
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement("DELETE FROM " + sqlTable() + " WHERE _rid = ? AND _chg = ?", &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    sqlite3_bind_int64(s, 1, record_.recordId);
    sqlite3_bind_int64(s, 2, record_.changeCount);
    rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        return driverError(rc, openGroup_->db(), filePath());
    if (sqlite3_changes(openGroup_->db()) == 0)
        return changedOrGone(*openGroup_, sqlTable(), record_.recordId, filePath());
    record_.recordId = 0;
    noteWrite(filePath());
    return 0;
}

// ---------------------------------------------------------------------------------------
// key rebuild

int Table::rebuildKeys()
{
    if (def_.driver != DriverKind::Keyed)
        return 0;
    std::string path = filePath();
    if (isOpen())
        return setError(AlreadyOpen, path);
    if (int e = checkFile(path))
        return e;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto integrityOk = [&] {
        bool ok = false;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK
            && sqlite3_step(s) == SQLITE_ROW)
            ok = std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok") == 0;
        sqlite3_finalize(s);
        return ok;
    };
    std::string script = "BEGIN IMMEDIATE;";
    for (const auto& i : indexSql())
        script += i + ";";
    script += "COMMIT;";
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && !integrityOk())
        rc = sqlite3_exec(db, "REINDEX", nullptr, nullptr, nullptr);
    bool ok = rc == SQLITE_OK && integrityOk();
    if (!ok && db)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    if (ok)
        return setError(NoError);

    // A key too damaged to reindex in place: the records are copied into a fresh file,
    // which builds every key anew, and that file replaces the old one (the target of a
    // link, never the link).
    std::error_code ec;
    const std::string real = fs::canonical(path, ec).string();
    if (ec)
        return setError(FileSystemError, path, ec.message(), ec.value());
    std::string tmp = real + ".rebuild";
    fs::remove(tmp, ec);
    rc = sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        // The folder's name is the user's: bound, never pasted into the SQL.
        sqlite3_stmt* attach = nullptr;
        rc = sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS old", -1, &attach, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(attach, 1, path.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(attach) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
        }
        sqlite3_finalize(attach);
    }
    std::string copy = "BEGIN; " + createSql() + "; INSERT INTO main." + quoteId(def_.storedName())
        + " SELECT * FROM old." + quoteId(def_.storedName()) + " WHERE _rid IS NOT NULL;";
    for (const auto& i : indexSql())
        copy += i + ";";
    copy += countSql("main");
    copy += "PRAGMA user_version=" + std::to_string(std::max(def_.version, 0)) + ";";
    if (encrypted())
        copy += "CREATE TABLE qv_owner AS SELECT * FROM old.qv_owner;";
    copy += "COMMIT; DETACH DATABASE old;";
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, copy.c_str(), nullptr, nullptr, nullptr);
    ok = rc == SQLITE_OK && integrityOk();
    int err = ok ? 0 : driverError(rc == SQLITE_OK ? SQLITE_CORRUPT : rc, db, path);
    sqlite3_close_v2(db);
    if (!ok) {
        fs::remove(tmp, ec);
        return setError(err == BadKeys ? InvalidFile : err, path);
    }
    fs::rename(tmp, real, ec);
    if (ec)
        return setError(FileSystemError, path, ec.message(), ec.value());
    syncFolder(fs::path(real).parent_path());
    return setError(NoError);
}

} // namespace qv::tables
