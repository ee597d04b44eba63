#pragma once

// A table of the collection: its declaration, its record buffer and the driver that
// stores it (keyed on SQLite, text lines, or binary blocks).

#include "platform/tables/decl.h"
#include "platform/tables/errors.h"
#include "platform/tables/record.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qv::tables {

class Group;
class View;

// Access modes: the low nibble is read (0) or read-write (2); the high one the sharing.
enum Access : int {
    ReadOnly = 0x00,
    ReadWrite = 0x02,
    DenyAll = 0x10,
    DenyWrite = 0x20,
    DenyNone = 0x40,
    DefaultAccess = ReadWrite | DenyNone, // 66
};

// A key component's stored value: numbers as integers (DECIMAL in its smallest units),
// text in its folded form. The order is SQLite's: numbers before text.
using KeyValue = std::variant<std::int64_t, std::string>;

class Table
{
public:
    explicit Table(TableDef def);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const TableDef& def() const { return def_; }
    Record& record() { return record_; }
    const Record& record() const { return record_; }

    // Tables named at run time; takes effect at the next create or open. A keyed file's
    // name without an extension gets ".tps".
    void setFileName(std::string name);
    const std::string& filePath() const { return filePath_; }
    // The path as writes to the file are counted (case folded); views compare it on every read.
    const std::string& writeKey() const { return writeKey_; }
    // The connection group; without one, the group of the file's folder.
    void setGroup(Group* group) { group_ = group; }
    Group& group() const;
    // The owner password to open an encrypted table with (the declaration's by default).
    void setPassword(std::string password) { password_ = std::move(password); }
    // "Recover=n" waits up to n seconds for a locked file; "QUICKSCAN" is accepted.
    int sendOption(const std::string& option);

    // Creates the missing file, empty. A file that is there by now (another program
    // creating the same table at the same moment) is kept and answers 0; a symbolic
    // link to a missing file is never replaced (90, "No such file or directory").
    int create();
    int open(int access = DefaultAccess);
    int close();
    int openCount() const { return openCount_; }
    bool isOpen() const { return openCount_ > 0; }

    // Reading in key order; key -1 is the physical order.
    int setOrder(int key); // next reads from the start, previous from the end
    int setAt(int key); // at the buffer's key values: next reads >=, previous <=
    int next();
    int previous();
    int fetch(int key); // the first record whose components equal the buffer's
    // The first record in key order whose first n components equal the buffer's.
    int fetchFirst(int key, int n);
    int fetchRecord(std::int64_t recordId);
    int reget() { return fetchRecord(record_.recordId); }
    int last(); // the physically last record
    std::int64_t records();
    std::int64_t records(int key); // the records the key holds
    // Every record is watched: update and remove refuse one changed since it was read (89).
    int watch() { return 0; }

    // Fills each auto-numbered component that is zero, inside the insert's transaction.
    int insert();
    int update();
    int remove();
    int rebuildKeys();

    // The text-line and binary-block drivers: bytes of the last block read, and the
    // position (byte offset) of the last record read.
    std::size_t bytesRead() const { return bytesRead_; }
    std::int64_t position() const { return record_.recordId; }

    // For views and tools: the SQL names of this open keyed table.
    std::string sqlTable() const;
    std::string columnOf(int field) const;
    std::string keyColumnOf(int field) const; // the folded copy for text key components
    KeyValue keyValueOf(int field) const; // the buffer's value in key form
    const std::string& selectList() const { return selectList_; }
    void loadRow(void* stmt, int firstColumn); // sqlite3_stmt row into the buffer
    void loadField(void* stmt, int column, int field); // one column into the buffer
    void loadFields(void* stmt, int firstColumn, const std::vector<int>& fields, const std::vector<int>& memos);
    // The partial-index condition, or ""; qualifier ("t.") names the table in a join.
    std::string keyWhere(int key, const std::string& qualifier = {}) const;
    // A statement answering `what` of the first record in key order whose leading
    // components equal values (SQL expressions, one per component).
    std::string firstInKeySql(int key, const std::vector<std::string>& values, const std::string& what) const;
    std::vector<std::string> keyOrderColumns(int key) const;
    bool encrypted() const { return !def_.ownerPassword.empty(); }

private:
    friend class View;
    struct Position {
        enum Mode { Start, End, At, After } mode = Start;
        int key = -1;
        std::vector<KeyValue> values;
        std::int64_t recordId = 0;
    };

    int keyedOpen(int access);
    int checkFile(const std::string& path);
    int verifySchema();
    int read(bool forward);
    int readEncrypted(bool forward);
    int fetchEncrypted(int key);
    void positionOnRecord();
    int autoNumber();
    int findDuplicate();
    std::string createSql() const;
    std::string countSql(const std::string& schema) const;
    int inspectFile(int& counting);
    std::vector<std::string> indexSql() const;
    int bindRecord(void* stmt, int first);
    int requireOpen(bool write);
    int ownWrite(int (Table::*op)());
    int doInsert();
    int doUpdate();
    int doRemove();
    int deriveKey();
    std::string encryptRecord();
    bool decryptRecord(const void* data, int size);
    std::vector<unsigned char> keyHash(const KeyValue& v) const;

    int textOpen(int access);
    int textCreate();
    int textRead(bool forward);
    int textWrite(bool append);

    TableDef def_;
    Record record_;
    std::string fileName_;
    // Derived from fileName_ whenever it changes: reads ask for them per row.
    std::string filePath_, writeKey_;
    void derivePaths();
    Group* group_ = nullptr;
    Group* openGroup_ = nullptr;
    std::string alias_;
    bool counted_ = false; // the file keeps its record count (qv_count)
    struct FileStamp {
        bool valid = false;
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t sec = 0, nsec = 0;
        std::uint32_t changes = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::string& path);
    FileStamp verified_; // the file as it was when last found sound
    int verifiedCounting_ = 0;
    std::string password_;
    int openCount_ = 0;
    int access_ = DefaultAccess;
    Position pos_;
    std::string selectList_;
    std::vector<int> keyedStringFields_; // text fields that have a folded copy
    std::vector<unsigned char> cryptKey_;
    // Statement texts built once per open; they name the file's alias.
    std::map<int, std::string> sqlText_;
    template <class Build> const std::string& sqlFor(int id, Build build)
    {
        auto it = sqlText_.find(id);
        if (it == sqlText_.end())
            it = sqlText_.emplace(id, build()).first;
        return it->second;
    }
    std::FILE* file_ = nullptr;
    std::size_t bytesRead_ = 0;
};

// What TableAccess.Fetch answers for a driver result: 0 found, 5 not found, 3 cannot read.
int fetchLevel(int driverResult);

} // namespace qv::tables
