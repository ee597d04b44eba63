#pragma once

// Views: a primary table with joined tables, range limits, named filter parts and an
// order, read a page at a time through keyed positioning. A view never loads its table:
// it asks SQLite for the next few rows after the last one it handed out, so a list over
// a million songs shows its first page at once. No statement stays open between calls.

#include "platform/expr/expression.h"
#include "platform/tables/bindings.h"
#include "platform/tables/sql_filter.h"
#include "platform/tables/table.h"

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace qv::tables {

// Record ids in a view's order, four bytes each while every id fits in four bytes.
class RowIds
{
public:
    void clear();
    void push(std::int64_t id);
    std::int64_t operator[](std::size_t i) const { return wide_.empty() ? narrow_[i] : wide_[i]; }
    std::size_t size() const { return wide_.empty() ? narrow_.size() : wide_.size(); }
    // The place of id, or -1.
    std::int64_t find(std::int64_t id) const;

private:
    std::vector<std::uint32_t> narrow_;
    std::vector<std::int64_t> wide_; // once any id is too large for narrow_
};

class View
{
public:
    // globals: names the filters may use besides the tables' fields.
    explicit View(Table& primary, const expr::Bindings* globals = nullptr);
    // Leaves its record buffers to the next view (see keepRecords).
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Each row of the view fills the joined table's buffer with its first record in key
    // order whose key's leading components equal the parent's fields (parent: the primary
    // table by default). An inner join leaves out rows that have no such record; an outer one
    // clears the buffer. A page's statement brings the joined records with its rows where the
    // joined table shares the primary's connection; the others are fetched row by row.
    void join(
        Table& joined, int key, std::vector<std::string> parentFields, bool inner = false, Table* parent = nullptr);

    // Key order of the primary table (-1: physical order).
    void setOrderKey(int key);
    // An order list such as "+ALB:Artist,-UPPER(SNG:Title)". Plain fields and UPPER of a
    // field are sorted by SQLite once, into the list of record ids the view then pages
    // through; any other expression is sorted in memory once, over record ids and sort
    // values. A write through the driver has the list made again. Answers 0, or 47 with
    // orderError() set.
    int setOrder(std::string_view order);
    const expr::Error& orderError() const { return orderError_; }

    // Range limit: the first n components of the order key equal the primary buffer's
    // values now (set the parent's linking values into the key fields first).
    void limitToBuffer(int components);
    // The same over another key's first n components, whatever the order.
    void limitToKeyBuffer(int key, int components);
    void clearRange()
    {
        range_.clear();
        plan_ = Plan::Undecided;
        invalidate();
    }

    // Named filter parts apply together. An expression over the view's tables' fields, or
    // a predicate that reads the loaded buffers.
    int setFilter(const std::string& name, std::string_view expression);
    void setFilter(const std::string& name, std::function<bool()> predicate);
    void clearFilter(const std::string& name);
    const expr::Error& filterError() const { return filterError_; }

    // Positions; reading then goes on from there in either direction.
    void toStart();
    void toEnd();
    // At the primary buffer's values of the order (a typed prefix in the first component
    // finds the first row at or after it).
    void seekToBuffer();
    // Just after (or, read backward, just before) the row now in the primary buffer.
    void positionOnBuffer();

    int next();
    int previous();
    // Reads up to n rows from the position; onRow runs with every buffer loaded.
    // Answers the number of rows read.
    int page(int n, bool forward, const std::function<void()>& onRow);
    // Every row from the start in the view's order, each into the buffers while onRow
    // runs; onRow answers false to stop. The view is left at its start and the primary
    // buffer as it was. Answers the number of rows read.
    long readThrough(const std::function<bool()>& onRow);
    std::int64_t count();

    // A buffer of the primary table that the view has done with (a blank one when it has
    // none), for a caller that keeps copies of the rows it reads.
    Record spareRecord();
    // Buffers a caller has done with, of any table: views take their storage from them
    // before they allocate, so a list opened again reads its page into the last one's.
    static void keepRecords(std::vector<Record>&& records);

    // Drops rows read ahead (another thread may have written since).
    void invalidate();
    // Moves on with every write to a table the view reads.
    std::uint64_t dataSerial() const;

private:
    struct Join {
        Table* table;
        int key;
        Table* parent;
        std::vector<int> parentFields;
        bool inner;
    };
    struct OrderCol {
        std::string sql;
        bool desc = false;
    };
    struct Pos {
        enum Mode { Start, End, At, After } mode = Start;
        std::vector<KeyValue> values; // one per order column, the record id last
    };
    struct Row {
        Record record;
        std::vector<KeyValue> values; // the record id last
        std::vector<Record> joined; // the joined records the statement brought, in join order
    };
    struct Filter {
        expr::Expression expression;
        std::function<bool()> predicate;
    };

    // How SQLite reaches the rows of a filtered page: along the order's index, or by a
    // scan that sorts what the filter keeps.
    enum class Plan { Undecided, WalkOrder, ScanAndSort };

    int read(bool forward);
    class SortKeys;
    std::vector<expr::Value> sortValues(const std::vector<expr::OrderTerm>& terms);
    bool collectSortValues(SortKeys& keys);
    int buildSorted();
    // Adds the primary table's fields and memos that e names; false when it names another
    // table's field.
    bool primaryFieldsOf(const expr::Expression& e, std::vector<int>& fields, std::vector<int>& memos) const;
    // Orders no key serves that SQLite sorts: paged by place in positions_.
    bool byPositions() const { return key_ == -2 && sortTerms_.empty(); }
    // Either kind of sorted order (SQLite's, or one sorted in memory) reads on by place.
    int readPositions(bool forward);
    int buildPositions();
    int refill(bool forward, int limit, const Pos& from);
    // The statement of a refill from a position of this kind: the primary's rows with the
    // joined records planJoins chose. binds gets the values of the range and of the filter
    // parts, the position's values follow them; joinedColumns: how many columns the joined
    // records take after the row's.
    std::string refillSql(bool forward, Pos::Mode mode, std::vector<KeyValue>& binds, int& joinedColumns) const;
    void orderSql(
        bool forward, bool unindexed, std::vector<std::string>& colSql, std::vector<std::string>& order) const;
    bool uniformOrder() const;
    void planJoins();
    // Whether the tables a page's statement names are open where they were when the joins
    // were planned.
    bool sameSources() const;
    // The select over the primary's rows where, in the order, with the joined records.
    std::string pageSql(const std::vector<std::string>& colSql, const std::vector<std::string>& orderSql,
        const std::string& where, int& joinedColumns) const;
    // The parent's value for a component of join's key, as SQL that compares with the key's
    // stored column; "" when SQL cannot give that value.
    std::string parentValueSql(const Join& j, size_t join, size_t component) const;
    // brought: the joined records a page's statement read with the row.
    bool loadJoins(std::vector<Record>* brought = nullptr);
    void recycle(Row& row);
    void bringJoined(sqlite3_stmt* s, int column, Row& row);
    int freshPositions();
    bool passes();
    std::vector<KeyValue> bufferValues() const;
    std::string scopeWhere(std::vector<KeyValue>& binds) const;
    std::string pushedWhere(std::vector<KeyValue>& binds) const;
    std::string baseWhere(std::vector<KeyValue>& binds) const;
    Plan choosePlan();
    void rebuildPushdown();
    void compileFilters();

    Table& primary_;
    RecordBindings bindings_;
    std::vector<Join> joins_;
    // Per join: its place among the records a page's statement brings with each row, or -1
    // when its record is fetched per row (another connection's file, an encrypted table, a
    // parent read per row, a value the key cannot compare in SQL).
    std::vector<int> joinSlot_;
    std::vector<int> joinParent_; // per join: the join whose record is its parent's, -1 the primary
    std::vector<std::vector<Record>> spareJoined_; // per join
    int key_ = -1;
    std::vector<OrderCol> cols_;
    std::vector<int> colFields_; // primary field behind each order column; -1 for the record id
    std::vector<bool> colUpper_;
    std::vector<expr::OrderTerm> sortTerms_; // in-memory order
    bool sortedBuilt_ = false;
    std::int64_t sortedIndex_ = -1; // -1 before the first, size() after the last
    RowIds positions_; // the order's record ids, made once (and again after a write to a table the view reads)
    std::uint64_t positionsSerial_ = 0;
    std::vector<std::pair<std::string, KeyValue>> range_;
    std::map<std::string, std::string> filterTexts_;
    std::map<std::string, Filter> filters_;
    std::vector<SqlCondition> pushed_; // what SQLite tests of each filter
    Plan plan_ = Plan::Undecided;
    expr::Error filterError_, orderError_;
    Pos pos_;
    std::deque<Row> chunk_;
    std::vector<Record> spare_; // buffers of rows handed out, reused so a page allocates little
    std::vector<std::vector<KeyValue>> spareValues_; // places of rows handed out, likewise
    bool chunkForward_ = true;
    bool chunkAtEnd_ = false;
    std::uint64_t chunkSerial_ = 0;
    int chunkSize_ = 48;
    bool chunkMissed_ = false;
    // A refill's statement for each direction and kind of position, with the values of the
    // range and the filter parts it binds first; made again once the plan is undecided or
    // the joins are planned again.
    struct RefillShape {
        bool made = false;
        std::string sql;
        std::vector<KeyValue> binds;
        int joinedColumns = 0;
    };
    std::array<RefillShape, 6> shapes_;
    // Where the primary and each joined table were open (connection, alias) when the joins
    // were planned: the statements name them.
    std::vector<std::pair<const Group*, std::string>> sources_;
    Pos scanPos_; // the last row the read-ahead looked at
    bool scanPosValid_ = false;
    // Filters over the primary table's own fields are tested while rows are read ahead,
    // from just the fields they name, so rows that fail are never loaded whole.
    bool earlyFilter_ = false;
    std::vector<int> earlyFields_, earlyMemos_;
};

// Counts the writes through the driver to each table file, so a view's rows
// read ahead and its list of positions can tell they are stale without being
// made again for a write to a table the view does not read.
std::uint64_t writeSerial(const std::string& file);
void noteWrite(const std::string& file);
// A transaction taken back may undo writes to any file it held.
void noteRollback();

} // namespace qv::tables
