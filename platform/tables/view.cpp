#include "platform/tables/view.h"

// g++ 12 reports std::variant<int64_t, string> moves as uninitialised (a known false alarm).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "platform/tables/group.h"
#include "platform/tables/sql.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace qv::tables {

namespace {

// Files are named as the program spells them; a name differs only in case
// on this system when the program spells it differently.
std::unordered_map<std::string, std::uint64_t> g_fileWrites;
std::uint64_t g_rollbacks = 0;

int placesOf(const FieldDef& f)
{
    return f.type == FieldType::Decimal ? f.places : 0;
}

// The values a numeric field holds, in its own units.
std::pair<__int128, __int128> rangeOf(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Byte:
        return {0, 255};
    case FieldType::Short:
        return {-32768, 32767};
    case FieldType::Long:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    default: {
        const __int128 top = pow10(std::min(f.digits(), 18)) - 1;
        return {-top, top};
    }
    }
}

// The parent's column as the joined key stores the value a fetch copies over: text cut to
// the shorter field and folded, a number in the joined field's units. "" where the copy
// converts, rounds or wraps: such a join is fetched per row.
std::string keyValueSql(const FieldDef& from, const std::string& column, const FieldDef& to)
{
    const bool text = from.type == FieldType::String;
    if (text != (to.type == FieldType::String))
        return {};
    if (text)
        return "qv_fold_key(" + column + ", " + std::to_string(std::min(from.length, to.length)) + ")";
    const int shift = placesOf(to) - placesOf(from);
    if (shift < 0 || shift > 18)
        return {};
    const __int128 scale = pow10(shift);
    const auto [low, high] = rangeOf(from);
    const auto [toLow, toHigh] = rangeOf(to);
    if (low * scale < toLow || high * scale > toHigh)
        return {};
    return shift == 0 ? column : "(" + column + " * " + std::to_string(pow10(shift)) + ")";
}

// A keyed table's columns as its select list names them, each qualified by alias.
std::vector<std::string> qualifiedColumns(const Table& t, const std::string& alias)
{
    std::vector<std::string> cols{alias + "._rid", alias + "._chg"};
    for (int f = 0; f < static_cast<int>(t.def().fields.size()); ++f)
        cols.push_back(alias + "." + t.columnOf(f));
    for (const auto& m : t.def().memos)
        cols.push_back(alias + "." + quoteId(std::string(bareName(m.name))));
    return cols;
}

// Record buffers left by views and lists that are gone, shared by every thread. Kept to a
// few pages' worth; never freed, as a view may go after the program's statics.
struct RecordPool {
    std::mutex guard;
    std::vector<Record> records;
};
constexpr std::size_t kPooledRecords = 256;
constexpr std::size_t kRecordsTaken = 64;

RecordPool& recordPool()
{
    static auto* pool = new RecordPool;
    return *pool;
}

// A column's value into v, a text into the storage v has.
void readColumn(sqlite3_stmt* s, int col, KeyValue& v)
{
    if (sqlite3_column_type(s, col) != SQLITE_TEXT) {
        v = sqlite3_column_int64(s, col);
        return;
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    const auto n = static_cast<size_t>(sqlite3_column_bytes(s, col));
    if (auto* text = std::get_if<std::string>(&v))
        text->assign(t, n);
    else
        v = std::string(t, n);
}

} // namespace

void RowIds::clear()
{
    narrow_.clear();
    narrow_.shrink_to_fit();
    wide_.clear();
    wide_.shrink_to_fit();
}

void RowIds::push(std::int64_t id)
{
    if (wide_.empty() && id >= 0 && id <= std::numeric_limits<std::uint32_t>::max()) {
        narrow_.push_back(static_cast<std::uint32_t>(id));
        return;
    }
    if (wide_.empty()) {
        wide_.assign(narrow_.begin(), narrow_.end());
        narrow_.clear();
        narrow_.shrink_to_fit();
    }
    wide_.push_back(id);
}

std::int64_t RowIds::find(std::int64_t id) const
{
    for (std::size_t i = 0; i < size(); ++i)
        if ((*this)[i] == id)
            return static_cast<std::int64_t>(i);
    return -1;
}

namespace {
std::uint64_t writeSerialOfKey(const std::string& folded)
{
    const auto at = g_fileWrites.find(folded);
    return g_rollbacks + (at == g_fileWrites.end() ? 0 : at->second);
}
} // namespace

std::uint64_t writeSerial(const std::string& file)
{
    return writeSerialOfKey(text::lower(file));
}
void noteWrite(const std::string& file)
{
    ++g_fileWrites[text::lower(file)];
}
void noteRollback()
{
    ++g_rollbacks;
}

std::uint64_t View::dataSerial() const
{
    std::uint64_t serial = writeSerialOfKey(primary_.writeKey());
    for (const Join& j : joins_)
        serial += writeSerialOfKey(j.table->writeKey());
    return serial;
}

View::View(Table& primary, const expr::Bindings* globals)
    : primary_(primary)
    , bindings_(globals)
{
    bindings_.add(primary);
    setOrderKey(-1);
}

void View::join(Table& joined, int key, std::vector<std::string> parentFields, bool inner, Table* parent)
{
    Join j{&joined, key, parent ? parent : &primary_, {}, inner};
    for (const auto& f : parentFields)
        j.parentFields.push_back(j.parent->def().fieldIndex(f));
    joins_.push_back(std::move(j));
    spareJoined_.emplace_back();
    bindings_.add(joined);
    compileFilters();
    invalidate();
}

void View::setOrderKey(int key)
{
    key_ = key;
    plan_ = Plan::Undecided;
    cols_.clear();
    colFields_.clear();
    colUpper_.clear();
    sortTerms_.clear();
    positions_.clear();
    sortedBuilt_ = false;
    if (key >= 0) {
        auto sql = primary_.keyOrderColumns(key);
        for (size_t i = 0; i < sql.size(); ++i) {
            cols_.push_back({sql[i], false});
            colFields_.push_back(primary_.def().fieldIndex(primary_.def().keys[key].components[i]));
            colUpper_.push_back(false);
        }
    }
    cols_.push_back({"_rid", false});
    colFields_.push_back(-1);
    colUpper_.push_back(false);
    range_.clear();
    toStart();
}

int View::setOrder(std::string_view text)
{
    orderError_ = {};
    auto terms = expr::parseOrder(text, &bindings_, &orderError_);
    if (!orderError_.empty())
        return setError(InvalidFile, primary_.filePath());
    setOrderKey(-1);
    key_ = -2;
    cols_.clear();
    colFields_.clear();
    colUpper_.clear();
    // Plain fields of the primary table (and UPPER of one) are left to SQLite.
    bool allPlain = !terms.empty() && !primary_.encrypted();
    std::vector<OrderCol> cols;
    for (auto& t : terms) {
        std::string e(text::trim(t.expression.text(), text::kWhiteSpace));
        bool upper = false;
        if (text::startsWithNoCase(e, "UPPER(") && e.back() == ')') {
            upper = true;
            e = text::trim(std::string_view(e).substr(6, e.size() - 7), text::kWhiteSpace);
        }
        int f = -1;
        auto colon = e.find(':');
        if (colon != std::string::npos && sameName(e.substr(0, colon), primary_.def().prefix))
            f = primary_.def().fieldIndex(e);
        if (f < 0) {
            allPlain = false;
            break;
        }
        bool text = primary_.def().fields[f].type == FieldType::String;
        upper = upper && text;
        std::string sql = upper ? "qv_upper(" + primary_.columnOf(f) + ")" : primary_.columnOf(f);
        cols.push_back({sql, t.descending});
        colFields_.push_back(f);
        colUpper_.push_back(upper);
    }
    if (allPlain) {
        cols_ = cols;
    } else {
        colFields_.clear();
        colUpper_.clear();
        sortTerms_ = std::move(terms);
    }
    cols_.push_back({"_rid", false});
    colFields_.push_back(-1);
    colUpper_.push_back(false);
    toStart();
    return setError(NoError);
}

void View::limitToBuffer(int components)
{
    range_.clear();
    if (key_ < 0)
        return;
    for (int i = 0; i < components && i + 1 < static_cast<int>(cols_.size()); ++i)
        range_.push_back({cols_[i].sql, primary_.keyValueOf(colFields_[i])});
    sortedBuilt_ = false;
    plan_ = Plan::Undecided;
    invalidate();
}

void View::limitToKeyBuffer(int key, int components)
{
    const auto sql = primary_.keyOrderColumns(key);
    const auto& names = primary_.def().keys[static_cast<std::size_t>(key)].components;
    std::vector<std::pair<std::string, KeyValue>> range;
    for (int i = 0; i < components && i < static_cast<int>(sql.size()); ++i) {
        const auto c = static_cast<std::size_t>(i);
        range.push_back({sql[c], primary_.keyValueOf(primary_.def().fieldIndex(names[c]))});
    }
    // The same range again (a refresh) keeps the order's sorted rows.
    if (range == range_)
        return;
    range_ = std::move(range);
    sortedBuilt_ = false;
    positions_.clear();
    plan_ = Plan::Undecided;
    invalidate();
}

void View::compileFilters()
{
    filterError_ = {};
    for (auto& [name, text] : filterTexts_) {
        auto e = expr::Expression::compile(text, &bindings_);
        if (!e.ok())
            filterError_ = e.error();
        filters_[name].expression = std::move(e);
    }
    rebuildPushdown();
    earlyFilter_ = !filters_.empty() && filterError_.empty() && !primary_.encrypted();
    earlyFields_.clear();
    earlyMemos_.clear();
    for (auto& [name, f] : filters_)
        earlyFilter_ = earlyFilter_ && !f.predicate && primaryFieldsOf(f.expression, earlyFields_, earlyMemos_);
}

bool View::primaryFieldsOf(const expr::Expression& e, std::vector<int>& fields, std::vector<int>& memos) const
{
    for (const auto& n : e.names()) {
        auto colon = n.find(':');
        bool ours = colon != std::string::npos && sameName(n.substr(0, colon), primary_.def().prefix);
        int fi = ours ? primary_.def().fieldIndex(n) : -1;
        int mi = ours ? primary_.def().memoIndex(n) : -1;
        if (fi >= 0)
            fields.push_back(fi);
        else if (mi >= 0)
            memos.push_back(mi);
        else if (bindings_.lookup(n) >= 0 && colon != std::string::npos) {
            // Another table's field: it is known only once the joins are loaded.
            for (size_t t = 1; t < bindings_.tables().size(); ++t)
                if (sameName(n.substr(0, colon), bindings_.tables()[t]->def().prefix))
                    return false;
        }
    }
    return true;
}

int View::setFilter(const std::string& name, std::string_view expression)
{
    if (text::trim(expression, text::kWhiteSpace).empty()) {
        clearFilter(name);
        return 0;
    }
    filterTexts_[name] = std::string(expression);
    filters_[name].predicate = nullptr;
    compileFilters();
    sortedBuilt_ = false;
    invalidate();
    return filterError_.empty() ? 0 : setError(InvalidFile, primary_.filePath());
}

void View::setFilter(const std::string& name, std::function<bool()> predicate)
{
    filterTexts_.erase(name);
    filters_[name] = Filter{expr::Expression(), std::move(predicate)};
    compileFilters();
    sortedBuilt_ = false;
    invalidate();
}

void View::clearFilter(const std::string& name)
{
    filterTexts_.erase(name);
    filters_.erase(name);
    compileFilters();
    sortedBuilt_ = false;
    invalidate();
}

// What SQLite can test of each filter over the primary table's fields goes to it with
// bound values, so it can skip rows by index; the filter is still tested here as written.
void View::rebuildPushdown()
{
    pushed_.clear();
    plan_ = Plan::Undecided;
    const ColumnOf columns = storedColumns(primary_);
    for (auto& [name, f] : filters_)
        if (f.expression.ok() && !f.expression.empty())
            if (auto c = sqlCondition(f.expression.predicate(), columns))
                pushed_.push_back(std::move(*c));
}

std::string View::scopeWhere(std::vector<KeyValue>& binds) const
{
    std::vector<std::string> parts;
    if (key_ >= 0)
        if (auto w = primary_.keyWhere(key_); !w.empty())
            parts.push_back(w);
    for (const auto& [col, v] : range_) {
        parts.push_back(col + " = ?");
        binds.push_back(v);
    }
    return joinSql(parts, " AND ");
}

std::string View::pushedWhere(std::vector<KeyValue>& binds) const
{
    std::vector<std::string> parts;
    for (const auto& p : pushed_) {
        parts.push_back(p.sql);
        binds.insert(binds.end(), p.values.begin(), p.values.end());
    }
    return joinSql(parts, " AND ");
}

std::string View::baseWhere(std::vector<KeyValue>& binds) const
{
    std::string scope = scopeWhere(binds);
    std::string pushed = pushedWhere(binds);
    return scope.empty() ? pushed : pushed.empty() ? scope : scope + " AND " + pushed;
}

// Walking the order's index to fill a page visits rows until enough pass; when the part of
// the filter SQLite tests keeps few rows, that is most of the table for one page, where a
// scan that sorts the few rows it keeps reads each row once, in file order. What the filter
// keeps is judged from the first rows of the view's range.
View::Plan View::choosePlan()
{
    constexpr int kFewInSample = 3; // fewer in 4096: a page of 48 rows would walk over 65,000 rows
    if (pushed_.empty() || cols_.size() < 2 || !primary_.isOpen() || !primary_.openGroup_)
        return Plan::WalkOrder;
    // A small sample settles a filter that keeps many rows; only a doubtful one takes the large.
    for (int sample : {64, 4096}) {
        std::vector<KeyValue> binds;
        std::string scope = scopeWhere(binds);
        std::string test = pushedWhere(binds);
        std::string sql = "SELECT count(*), total(m) FROM (SELECT (" + test + ") AS m FROM " + primary_.sqlTable()
            + (scope.empty() ? "" : " WHERE " + scope) + " LIMIT " + std::to_string(sample) + ")";
        Group& g = *primary_.openGroup_;
        int rc = 0;
        sqlite3_stmt* s = g.statement(sql, &rc);
        if (!s)
            return Plan::WalkOrder;
        StatementUse use(s);
        bindKeyValues(s, binds);
        if (g.step(s) != SQLITE_ROW)
            return Plan::WalkOrder;
        if (sqlite3_column_int64(s, 0) < sample || sqlite3_column_double(s, 1) >= kFewInSample)
            return Plan::WalkOrder;
    }
    return Plan::ScanAndSort;
}

std::vector<KeyValue> View::bufferValues() const
{
    std::vector<KeyValue> v;
    const Record& r = primary_.record();
    for (size_t i = 0; i < colFields_.size(); ++i) {
        int f = colFields_[i];
        if (f < 0)
            v.push_back(r.recordId);
        else if (key_ >= 0)
            v.push_back(primary_.keyValueOf(f));
        else if (primary_.def().fields[f].type == FieldType::String) {
            std::string t(text::trimRight(r.rawString(f)));
            v.push_back(colUpper_[i] ? text::upper(t) : t);
        } else {
            v.push_back(primary_.keyValueOf(f));
        }
    }
    return v;
}

View::~View()
{
    for (auto& row : chunk_)
        recycle(row);
    // The primary's last, so the next view takes those first.
    for (auto& records : spareJoined_)
        keepRecords(std::move(records));
    keepRecords(std::move(spare_));
}

void View::keepRecords(std::vector<Record>&& records)
{
    RecordPool& pool = recordPool();
    std::lock_guard lock(pool.guard);
    for (auto& r : records) {
        if (pool.records.size() >= kPooledRecords)
            break;
        pool.records.push_back(std::move(r));
    }
    records.clear();
}

Record View::spareRecord()
{
    if (spare_.empty()) {
        RecordPool& pool = recordPool();
        std::lock_guard lock(pool.guard);
        const auto from
            = pool.records.end() - static_cast<std::ptrdiff_t>(std::min(pool.records.size(), kRecordsTaken));
        std::move(from, pool.records.end(), std::back_inserter(spare_));
        pool.records.erase(from, pool.records.end());
    }
    if (spare_.empty())
        return Record(primary_.def());
    Record r = std::move(spare_.back());
    spare_.pop_back();
    // A buffer another table left becomes one of this table's, in the storage it has.
    const Record& like = primary_.record();
    if (&r.def() != &like.def() || r.fieldCount() != like.fieldCount() || r.memoCount() != like.memoCount())
        r = like;
    return r;
}

void View::invalidate()
{
    chunkMissed_ = false;
    scanPosValid_ = false;
    for (auto& row : chunk_)
        recycle(row);
    chunk_.clear();
    chunkAtEnd_ = false;
}

void View::toStart()
{
    pos_ = Pos{Pos::Start, {}};
    sortedIndex_ = -1;
    invalidate();
}

void View::toEnd()
{
    pos_ = Pos{Pos::End, {}};
    sortedIndex_ = static_cast<std::int64_t>(positions_.size());
    invalidate();
}

void View::seekToBuffer()
{
    pos_ = Pos{Pos::At, bufferValues()};
    pos_.values.back() = std::numeric_limits<std::int64_t>::min();
    invalidate();
    if (byPositions()) {
        // SQLite finds the first row at or after the buffer's values; its place is looked up.
        sortedBuilt_ = sortedBuilt_ && positionsSerial_ == dataSerial();
        if (!sortedBuilt_ && buildPositions() != 0)
            return;
        std::int64_t at = static_cast<std::int64_t>(positions_.size());
        if (refill(true, 1, pos_) == 0 && !chunk_.empty())
            if (auto i = positions_.find(chunk_.front().record.recordId); i >= 0)
                at = i;
        invalidate();
        sortedIndex_ = at - 1;
        return;
    }
    if (!sortTerms_.empty()) {
        // The first row whose sort values reach the buffer's, found by halving.
        const auto want = sortValues(sortTerms_);
        buildSorted();
        auto before = [&](const std::vector<expr::Value>& a) {
            for (size_t i = 0; i < a.size(); ++i)
                if (int c = expr::compare(a[i], want[i]))
                    return sortTerms_[i].descending ? c > 0 : c < 0;
            return false;
        };
        std::int64_t lo = 0, hi = static_cast<std::int64_t>(positions_.size());
        while (lo < hi) {
            const auto mid = lo + (hi - lo) / 2;
            // A row deleted since the sort counts as before: the search goes on past it.
            if (primary_.fetchRecord(positions_[static_cast<size_t>(mid)]) != 0 || before(sortValues(sortTerms_)))
                lo = mid + 1;
            else
                hi = mid;
        }
        sortedIndex_ = lo - 1;
    }
}

void View::positionOnBuffer()
{
    pos_ = Pos{Pos::After, bufferValues()};
    invalidate();
    if (byPositions()) {
        sortedBuilt_ = sortedBuilt_ && positionsSerial_ == dataSerial();
        if (sortedBuilt_ || buildPositions() == 0)
            sortedIndex_ = positions_.find(primary_.record().recordId);
        return;
    }
    if (!sortTerms_.empty())
        if (auto i = positions_.find(primary_.record().recordId); i >= 0)
            sortedIndex_ = i;
}

void View::recycle(Row& row)
{
    spare_.push_back(std::move(row.record));
    size_t slot = 0;
    for (size_t i = 0; i < joinSlot_.size() && slot < row.joined.size(); ++i)
        if (joinSlot_[i] >= 0)
            spareJoined_[i].push_back(std::move(row.joined[slot++]));
    row.joined.clear();
}

// Which joins a page's statement brings: tables of the primary's connection, keyed and not
// encrypted, whose parent's record the statement brings too and whose key compares the
// parent's values as they are stored.
void View::planJoins()
{
    sources_.assign(1, {primary_.openGroup_, primary_.alias_});
    for (const Join& j : joins_)
        sources_.emplace_back(j.table->openGroup_, j.table->alias_);
    joinSlot_.assign(joins_.size(), -1);
    joinParent_.assign(joins_.size(), -1);
    if (!primary_.isOpen() || !primary_.openGroup_ || primary_.encrypted())
        return;
    int slots = 0;
    for (size_t i = 0; i < joins_.size(); ++i) {
        const Join& j = joins_[i];
        const Table& t = *j.table;
        // The parent's buffer as this join finds it: the last join loaded into it, or the row.
        int parent = -1;
        for (size_t k = 0; k < i; ++k)
            if (joins_[k].table == j.parent)
                parent = static_cast<int>(k);
        joinParent_[i] = parent;
        const bool parentBrought = parent >= 0 ? joinSlot_[static_cast<size_t>(parent)] >= 0 : j.parent == &primary_;
        bool ok = parentBrought && t.isOpen() && t.openGroup_ == primary_.openGroup_ && !t.encrypted()
            && t.def().driver == DriverKind::Keyed && j.key >= 0 && j.key < static_cast<int>(t.def().keys.size())
            && j.parentFields.size() <= t.def().keys[static_cast<size_t>(j.key)].components.size();
        for (size_t c = 0; ok && c < j.parentFields.size(); ++c)
            ok = !parentValueSql(j, i, c).empty();
        if (ok)
            joinSlot_[i] = slots++;
    }
}

bool View::sameSources() const
{
    auto same = [](const std::pair<const Group*, std::string>& source, const Table& t) {
        return source.first == t.openGroup_ && source.second == t.alias_;
    };
    if (sources_.size() != joins_.size() + 1 || !same(sources_[0], primary_))
        return false;
    for (size_t i = 0; i < joins_.size(); ++i)
        if (!same(sources_[i + 1], *joins_[i].table))
            return false;
    return true;
}

std::string View::parentValueSql(const Join& j, size_t join, size_t component) const
{
    const Table& t = *j.table;
    const int pf = j.parentFields[component];
    const int tf = t.def().fieldIndex(t.def().keys[static_cast<size_t>(j.key)].components[component]);
    if (pf < 0 || tf < 0)
        return {};
    const FieldDef& from = j.parent->def().fields[static_cast<size_t>(pf)];
    const int parent = joinParent_[join];
    // A parent joined outer that found nothing is a cleared buffer: blanks and zeros.
    const std::string column = parent < 0 ? "p." + j.parent->columnOf(pf)
                                          : "ifnull(j" + std::to_string(parent) + "." + j.parent->columnOf(pf) + ", "
            + (from.type == FieldType::String ? "''" : "0") + ")";
    return keyValueSql(from, column, t.def().fields[static_cast<size_t>(tf)]);
}

std::string View::pageSql(const std::vector<std::string>& colSql, const std::vector<std::string>& orderSql,
    const std::string& where, int& joinedColumns) const
{
    const std::string rows = " FROM " + primary_.sqlTable() + (where.empty() ? "" : " WHERE " + where);
    joinedColumns = 0;
    if (std::all_of(joinSlot_.begin(), joinSlot_.end(), [](int slot) { return slot < 0; }))
        return "SELECT " + primary_.selectList() + ", " + joinSql(colSql, ", ") + rows + " ORDER BY "
            + joinSql(orderSql, ", ") + " LIMIT ?";
    // The primary's rows as a subquery, so that its columns need no qualifying beside the
    // joined tables' columns of the same names. Inner joins are CROSS JOINs: SQLite then
    // keeps walking the primary's order first rather than sorting what the join finds.
    std::vector<std::string> named, order, select{"p.*"};
    for (size_t c = 0; c < colSql.size(); ++c) {
        const std::string name = "_o" + std::to_string(c);
        named.push_back(colSql[c] + " AS " + name);
        order.push_back("p." + name + orderSql[c].substr(colSql[c].size()));
    }
    std::string joined;
    for (size_t i = 0; i < joins_.size(); ++i) {
        if (joinSlot_[i] < 0)
            continue;
        const Join& j = joins_[i];
        const Table& t = *j.table;
        const std::string alias = "j" + std::to_string(i);
        for (auto& col : qualifiedColumns(t, alias)) {
            select.push_back(std::move(col));
            ++joinedColumns;
        }
        std::vector<std::string> values;
        for (size_t c = 0; c < j.parentFields.size(); ++c)
            values.push_back(parentValueSql(j, i, c));
        const auto& key = t.def().keys[static_cast<size_t>(j.key)];
        std::string on;
        if (key.unique && !values.empty() && values.size() == key.components.size()) {
            // One record at most: the key's own index finds it.
            std::vector<std::string> equal;
            for (size_t c = 0; c < values.size(); ++c)
                equal.push_back(alias + "." + t.keyColumnOf(t.def().fieldIndex(key.components[c])) + " = " + values[c]);
            if (auto w = t.keyWhere(j.key, alias + "."); !w.empty())
                equal.push_back(w);
            on = joinSql(equal, " AND ");
        } else {
            // The first in key order, as a fetch picks it.
            on = alias + "._rid = (" + t.firstInKeySql(j.key, values, "_rid") + ")";
        }
        joined += (j.inner ? " CROSS JOIN " : " LEFT JOIN ") + t.sqlTable() + " AS " + alias + " ON " + on;
    }
    return "SELECT " + joinSql(select, ", ") + " FROM (SELECT " + primary_.selectList() + ", " + joinSql(named, ", ")
        + rows + ") AS p" + joined + " ORDER BY " + joinSql(order, ", ") + " LIMIT ?";
}

bool View::loadJoins(std::vector<Record>* brought)
{
    for (size_t i = 0; i < joins_.size(); ++i) {
        const Join& j = joins_[i];
        Table& t = *j.table;
        if (brought && i < joinSlot_.size() && joinSlot_[i] >= 0) {
            // Read with the row: an outer join that found nothing brought a cleared record.
            std::swap(t.record(), (*brought)[static_cast<size_t>(joinSlot_[i])]);
            if (t.record().recordId != 0) {
                t.pos_.key = j.key;
                t.positionOnRecord();
            }
            continue;
        }
        Record& r = t.record();
        r.clear();
        const auto& comps = t.def().keys[j.key].components;
        for (size_t c = 0; c < j.parentFields.size() && c < comps.size(); ++c) {
            int tf = t.def().fieldIndex(comps[c]);
            const Record& pr = j.parent->record();
            int pf = j.parentFields[c];
            if (pr.def().fields[pf].type == FieldType::String)
                r.setString(tf, pr.getString(pf));
            else
                r.setDecimal(tf, pr.getDecimal(pf));
        }
        bool found = false;
        if (j.parentFields.size() == comps.size()) {
            found = t.fetch(j.key) == 0;
        } else if (!t.encrypted()) {
            found = t.fetchFirst(j.key, static_cast<int>(j.parentFields.size())) == 0;
        } else {
            std::vector<KeyValue> want;
            for (size_t c = 0; c < j.parentFields.size() && c < comps.size(); ++c)
                want.push_back(t.keyValueOf(t.def().fieldIndex(comps[c])));
            t.setAt(j.key);
            if (t.next() == 0) {
                found = true;
                for (size_t c = 0; c < want.size(); ++c)
                    found = found && t.keyValueOf(t.def().fieldIndex(comps[c])) == want[c];
            }
        }
        if (!found) {
            if (j.inner)
                return false;
            r.clear();
        }
    }
    return true;
}

bool View::passes()
{
    for (auto& [name, f] : filters_) {
        if (f.predicate) {
            if (!f.predicate())
                return false;
        } else if (!f.expression.test(bindings_)) {
            return false;
        }
    }
    return true;
}

std::string View::refillSql(bool forward, Pos::Mode mode, std::vector<KeyValue>& binds, int& joinedColumns) const
{
    std::string where = baseWhere(binds);
    std::vector<std::string> colSql, order;
    orderSql(forward, plan_ == Plan::ScanAndSort, colSql, order);
    if (mode == Pos::At || mode == Pos::After) {
        bool inclusive = mode == Pos::At;
        std::string cond;
        if (uniformOrder()) {
            bool greater = cols_[0].desc != forward;
            std::string op = greater ? (inclusive ? ">=" : ">") : (inclusive ? "<=" : "<");
            std::vector<std::string> marks(cols_.size(), "?");
            cond = "(" + joinSql(colSql, ", ") + ") " + op + " (" + joinSql(marks, ", ") + ")";
        } else {
            std::vector<std::string> ors;
            for (size_t i = 0; i < cols_.size(); ++i) {
                std::vector<std::string> ands;
                for (size_t k = 0; k < i; ++k)
                    ands.push_back(colSql[k] + " = ?");
                bool beyondIsGreater = cols_[i].desc != forward;
                ands.push_back(colSql[i] + (beyondIsGreater ? " > ?" : " < ?"));
                ors.push_back("(" + joinSql(ands, " AND ") + ")");
            }
            if (inclusive) {
                std::vector<std::string> ands;
                for (size_t k = 0; k < cols_.size(); ++k)
                    ands.push_back(colSql[k] + " = ?");
                ors.push_back("(" + joinSql(ands, " AND ") + ")");
            }
            cond = "(" + joinSql(ors, " OR ") + ")";
        }
        where = where.empty() ? cond : where + " AND " + cond;
    }
    return pageSql(colSql, order, where, joinedColumns);
}

void View::orderSql(
    bool forward, bool unindexed, std::vector<std::string>& colSql, std::vector<std::string>& order) const
{
    for (const auto& c : cols_) {
        // A unary plus keeps SQLite from walking an index in this order.
        colSql.push_back(unindexed ? "+" + c.sql : c.sql);
        bool desc = c.desc != !forward;
        order.push_back(colSql.back() + (desc ? " DESC" : ""));
    }
}

bool View::uniformOrder() const
{
    return std::all_of(cols_.begin(), cols_.end(), [&](const OrderCol& c) { return c.desc == cols_[0].desc; });
}

// The joined records of a row, from the columns of the page's statement at column on.
void View::bringJoined(sqlite3_stmt* s, int column, Row& row)
{
    for (size_t i = 0; i < joinSlot_.size(); ++i) {
        if (joinSlot_[i] < 0)
            continue;
        Table& t = *joins_[i].table;
        Record r = spareJoined_[i].empty() ? Record(t.def()) : std::move(spareJoined_[i].back());
        if (!spareJoined_[i].empty())
            spareJoined_[i].pop_back();
        std::swap(r, t.record());
        if (sqlite3_column_type(s, column) == SQLITE_NULL)
            t.record().clear();
        else
            t.loadRow(s, column);
        std::swap(r, t.record());
        row.joined.push_back(std::move(r));
        column += 2 + static_cast<int>(t.def().fields.size() + t.def().memos.size());
    }
}

int View::refill(bool forward, int limit, const Pos& from)
{
    for (auto& row : chunk_)
        recycle(row);
    chunk_.clear();
    const int budget = earlyFilter_ ? std::max(limit * 64, 4096) : limit;
    chunkForward_ = forward;
    chunkAtEnd_ = false;
    chunkSerial_ = dataSerial();
    if ((forward && from.mode == Pos::End) || (!forward && from.mode == Pos::Start)) {
        chunkAtEnd_ = true;
        return 0;
    }
    if (!primary_.isOpen())
        return setError(FileNotOpen, primary_.filePath());
    // The order, the range and the pushed filter parts change only with the plan left
    // undecided, the joins only with the tables' connections: the statements made for the
    // old ones go.
    bool remake = false;
    if (plan_ == Plan::Undecided) {
        plan_ = choosePlan();
        remake = true;
    }
    if (!sameSources()) {
        planJoins();
        remake = true;
    }
    if (remake)
        for (RefillShape& shape : shapes_)
            shape.made = false;
    const bool placed = from.mode == Pos::At || from.mode == Pos::After;
    RefillShape& shape = shapes_[(forward ? 3 : 0) + (placed ? (from.mode == Pos::At ? 2 : 1) : 0)];
    if (!shape.made) {
        shape.binds.clear();
        shape.sql = refillSql(forward, from.mode, shape.binds, shape.joinedColumns);
        shape.made = true;
    }
    const std::string& sql = shape.sql;
    const int joinedColumns = shape.joinedColumns;
    std::vector<KeyValue> binds = shape.binds;
    if (placed) {
        if (uniformOrder()) {
            binds.insert(binds.end(), from.values.begin(), from.values.end());
        } else {
            for (size_t i = 0; i < cols_.size(); ++i)
                binds.insert(
                    binds.end(), from.values.begin(), from.values.begin() + static_cast<std::ptrdiff_t>(i + 1));
            if (from.mode == Pos::At)
                binds.insert(binds.end(), from.values.begin(), from.values.end());
        }
    }
    Group& g = *primary_.openGroup_;
    int rc = 0;
    sqlite3_stmt* s = g.statement(sql, &rc);
    if (!s)
        return driverError(rc, g.db(), primary_.filePath());
    StatementUse use(s);
    sqlite3_bind_int(s, bindKeyValues(s, binds), budget + 1);
    const int first = sqlite3_column_count(s) - joinedColumns - static_cast<int>(cols_.size());
    // Rows are read into the table's buffer and swapped out, so the buffer ends as it was.
    Record& buffer = primary_.record();
    Record keep = spareRecord();
    std::swap(keep, buffer);
    int n = 0, scanned = 0;
    bool lastKept = false;
    bool firstStep = true;
    while (n < limit && scanned < budget && (rc = firstStep ? g.step(s) : sqlite3_step(s)) == SQLITE_ROW) {
        firstStep = false;
        ++scanned;
        // Into the place of a row handed out before, in the storage its values have.
        std::vector<KeyValue> values;
        if (!spareValues_.empty()) {
            values = std::move(spareValues_.back());
            spareValues_.pop_back();
        }
        values.resize(cols_.size());
        for (size_t c = 0; c < cols_.size(); ++c)
            readColumn(s, first + static_cast<int>(c), values[c]);
        scanPosValid_ = true;
        lastKept = false;
        if (earlyFilter_) {
            primary_.loadFields(s, 0, earlyFields_, earlyMemos_);
            bool ok = true;
            for (auto& [name, f] : filters_)
                ok = ok && f.expression.test(bindings_);
            if (!ok) {
                scanPos_ = Pos{Pos::After, std::move(values)};
                continue;
            }
        }
        primary_.loadRow(s, 0);
        Row row{spareRecord(), std::move(values), {}};
        std::swap(row.record, buffer);
        bringJoined(s, first + static_cast<int>(cols_.size()), row);
        chunk_.push_back(std::move(row));
        lastKept = true;
        ++n;
    }
    // A kept row's place is in the chunk: the last one looked at is copied once, not every row.
    if (lastKept) {
        scanPos_.mode = Pos::After;
        scanPos_.values = chunk_.back().values;
    }
    std::swap(keep, buffer);
    spare_.push_back(std::move(keep));
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        invalidate();
        return driverError(rc, g.db(), primary_.filePath());
    }
    chunkAtEnd_ = rc == SQLITE_DONE;
    return 0;
}

int View::read(bool forward)
{
    if (!filterError_.empty())
        return setError(InvalidFile, primary_.filePath());
    if (!sortTerms_.empty() || byPositions())
        return readPositions(forward);
    for (;;) {
        if (chunkForward_ != forward || chunkSerial_ != dataSerial())
            invalidate();
        if (chunk_.empty()) {
            if (chunkAtEnd_) {
                pos_ = Pos{forward ? Pos::End : Pos::Start, {}};
                invalidate();
                return setError(RecordNotAvailable, primary_.filePath());
            }
            // A filter that rejected a whole chunk reads further ahead the next time.
            if (chunkMissed_)
                chunkSize_ = std::min(chunkSize_ * 2, 1024);
            chunkMissed_ = true;
            if (int e = refill(forward, chunkSize_, scanPosValid_ ? scanPos_ : pos_))
                return e;
            if (chunk_.empty())
                continue;
        }
        Row row = std::move(chunk_.front());
        chunk_.pop_front();
        pos_.mode = Pos::After;
        std::swap(pos_.values, row.values);
        spareValues_.push_back(std::move(row.values));
        std::swap(primary_.record(), row.record);
        const bool joined = loadJoins(&row.joined);
        recycle(row);
        if (!joined || !passes())
            continue;
        chunkMissed_ = false;
        return setError(NoError);
    }
}

// Sort values of the rows collected, held as machine integers while every value is a whole
// number (the common case of a computed number), which also sort several times as fast as
// through the language's compare.
class View::SortKeys
{
public:
    explicit SortKeys(const std::vector<expr::OrderTerm>& terms)
        : terms_(terms)
    { }

    void add(std::vector<expr::Value>&& values, std::int64_t id)
    {
        ids_.push_back(id);
        if (whole_ && std::all_of(values.begin(), values.end(), [](const expr::Value& v) {
                return v.kind() == expr::Value::Kind::Integer;
            })) {
            for (const auto& v : values)
                wholeKeys_.push_back(v.toInt());
            return;
        }
        if (whole_) {
            for (auto k : wholeKeys_)
                values_.emplace_back(k);
            wholeKeys_ = {};
            whole_ = false;
        }
        for (auto& v : values)
            values_.push_back(std::move(v));
    }

    void clear()
    {
        whole_ = true;
        wholeKeys_.clear();
        ids_.clear();
        values_.clear();
    }

    // The record ids in order, ties in the order they were added.
    RowIds sorted() const
    {
        const size_t n = terms_.size();
        std::vector<std::uint32_t> order(ids_.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<std::uint32_t>(i);
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (size_t t = 0; t < n; ++t) {
                const size_t x = a * n + t, y = b * n + t;
                const int c = whole_ ? (wholeKeys_[x] < wholeKeys_[y] ? -1 : wholeKeys_[x] > wholeKeys_[y])
                                     : expr::compare(values_[x], values_[y]);
                if (c != 0)
                    return terms_[t].descending ? c > 0 : c < 0;
            }
            return a < b;
        });
        RowIds ids;
        for (auto i : order)
            ids.push(ids_[i]);
        return ids;
    }

private:
    const std::vector<expr::OrderTerm>& terms_;
    bool whole_ = true;
    std::vector<std::int64_t> wholeKeys_, ids_;
    std::vector<expr::Value> values_;
};

std::vector<expr::Value> View::sortValues(const std::vector<expr::OrderTerm>& terms)
{
    std::vector<expr::Value> values;
    values.reserve(terms.size());
    for (const auto& t : terms)
        values.push_back(t.expression.evaluate(bindings_));
    return values;
}

// One pass in file order that loads only the fields the order and the filters name, for
// views whose filters need nothing but the primary table's own fields. Answers false when
// the view needs the general pass.
bool View::collectSortValues(SortKeys& keys)
{
    std::vector<int> fields, memos;
    if (!joins_.empty() || primary_.encrypted() || !primary_.isOpen() || !primary_.openGroup_
        || !(filters_.empty() || earlyFilter_))
        return false;
    for (const auto& t : sortTerms_)
        if (!primaryFieldsOf(t.expression, fields, memos))
            return false;
    fields.insert(fields.end(), earlyFields_.begin(), earlyFields_.end());
    memos.insert(memos.end(), earlyMemos_.begin(), earlyMemos_.end());
    std::vector<KeyValue> binds;
    const std::string where = baseWhere(binds);
    const std::string sql = "SELECT " + primary_.selectList() + " FROM " + primary_.sqlTable()
        + (where.empty() ? "" : " WHERE " + where) + " ORDER BY _rid";
    Group& g = *primary_.openGroup_;
    int rc = 0;
    sqlite3_stmt* s = g.statement(sql, &rc);
    if (!s)
        return false;
    StatementUse use(s);
    bindKeyValues(s, binds);
    // The buffer ends as it was.
    Record keep = primary_.record();
    for (bool first = true; (rc = first ? g.step(s) : sqlite3_step(s)) == SQLITE_ROW; first = false) {
        primary_.loadFields(s, 0, fields, memos);
        if (passes())
            keys.add(sortValues(sortTerms_), sqlite3_column_int64(s, 0));
    }
    primary_.record() = std::move(keep);
    return rc == SQLITE_DONE;
}

int View::buildSorted()
{
    positionsSerial_ = dataSerial();
    SortKeys keys(sortTerms_);
    if (!collectSortValues(keys)) {
        // One pass over the range in file order, every row loaded with its joins.
        keys.clear();
        std::vector<OrderCol> keepCols = cols_;
        auto terms = std::move(sortTerms_);
        sortTerms_.clear();
        Pos keepPos = pos_;
        pos_ = Pos{};
        const int keepKey = key_;
        key_ = -1;
        invalidate();
        chunkSize_ = 1024;
        while (read(true) == 0)
            keys.add(sortValues(terms), primary_.record().recordId);
        chunkSize_ = 48;
        key_ = keepKey;
        sortTerms_ = std::move(terms);
        cols_ = keepCols;
        pos_ = keepPos;
    }
    positions_ = keys.sorted();
    sortedBuilt_ = true;
    return 0;
}

int View::buildPositions()
{
    positions_.clear();
    sortedBuilt_ = false;
    if (!primary_.isOpen())
        return setError(FileNotOpen, primary_.filePath());
    std::vector<KeyValue> binds;
    std::string where = baseWhere(binds);
    std::vector<std::string> orderSql;
    for (const auto& c : cols_)
        orderSql.push_back(c.sql + (c.desc ? " DESC" : ""));
    std::string sql = "SELECT _rid FROM " + primary_.sqlTable() + (where.empty() ? "" : " WHERE " + where)
        + " ORDER BY " + joinSql(orderSql, ", ");
    Group& g = *primary_.openGroup_;
    int rc = 0;
    sqlite3_stmt* s = g.statement(sql, &rc);
    if (!s)
        return driverError(rc, g.db(), primary_.filePath());
    StatementUse use(s);
    bindKeyValues(s, binds);
    for (bool first = true; (rc = first ? g.step(s) : sqlite3_step(s)) == SQLITE_ROW; first = false)
        positions_.push(sqlite3_column_int64(s, 0));
    if (rc != SQLITE_DONE) {
        positions_.clear();
        return driverError(rc, g.db(), primary_.filePath());
    }
    positionsSerial_ = dataSerial();
    sortedBuilt_ = true;
    return 0;
}

// The list of positions, made when there is none and again after a write to a table the
// view reads; reading goes on from the row last handed out.
int View::freshPositions()
{
    if (sortedBuilt_ && positionsSerial_ == dataSerial())
        return 0;
    const bool had = sortedBuilt_;
    const auto oldSize = static_cast<std::int64_t>(positions_.size());
    const std::int64_t current
        = had && sortedIndex_ >= 0 && sortedIndex_ < oldSize ? positions_[static_cast<size_t>(sortedIndex_)] : -1;
    if (int e = sortTerms_.empty() ? buildPositions() : buildSorted())
        return e;
    const auto size = static_cast<std::int64_t>(positions_.size());
    if (current >= 0) {
        auto at = positions_.find(current);
        sortedIndex_ = at >= 0 ? at : std::min(sortedIndex_, size);
    } else if (had ? sortedIndex_ >= oldSize : pos_.mode == Pos::End) {
        sortedIndex_ = size;
    } else {
        sortedIndex_ = -1;
    }
    return 0;
}

int View::readPositions(bool forward)
{
    if (int e = freshPositions())
        return e;
    const auto n = static_cast<std::int64_t>(positions_.size());
    for (;;) {
        sortedIndex_ += forward ? 1 : -1;
        if (sortedIndex_ < 0 || sortedIndex_ >= n) {
            sortedIndex_ = sortedIndex_ < 0 ? -1 : n;
            return setError(RecordNotAvailable, primary_.filePath());
        }
        // Rows deleted since the sort are passed over; changed ones are shown as they are now.
        if (primary_.fetchRecord(positions_[static_cast<size_t>(sortedIndex_)]) != 0)
            continue;
        if (loadJoins() && passes())
            return setError(NoError);
    }
}

int View::next()
{
    return read(true);
}
int View::previous()
{
    return read(false);
}

int View::page(int n, bool forward, const std::function<void()>& onRow)
{
    invalidate();
    // Filtered rows may be skipped: read ahead; otherwise the page is what is read.
    chunkSize_ = filters_.empty() ? std::max(n, 1) : std::max(16, n);
    // A plain page is one statement; joined records, filtered-out rows and rows of a sorted
    // view take more.
    std::optional<ReadHold> hold;
    if ((!joins_.empty() || !filters_.empty() || !sortTerms_.empty() || byPositions()) && primary_.isOpen()
        && primary_.openGroup_)
        hold.emplace(*primary_.openGroup_, primary_.alias_);
    int got = 0;
    while (got < n && read(forward) == 0) {
        if (onRow)
            onRow();
        ++got;
    }
    chunkSize_ = 48;
    return got;
}

long View::readThrough(const std::function<bool()>& onRow)
{
    toStart();
    const bool whole = joins_.empty() && filters_.empty() && sortTerms_.empty() && !byPositions()
        && filterError_.empty() && primary_.isOpen() && primary_.openGroup_;
    long n = 0;
    if (!whole) {
        // Joined, filtered and sorted views read as their pages do, a chunk at a time.
        constexpr int kChunk = 256;
        Record keep = primary_.record();
        bool more = true;
        while (more && page(kChunk, true, [&] {
            if (more) {
                ++n;
                more = onRow();
            }
        }) == kChunk) { }
        std::swap(keep, primary_.record());
        toStart();
        return n;
    }
    // One statement sorting every row: walking the key's index fetches each row from the
    // table on its own, several times as slow for the whole view. No LIMIT: with one,
    // SQLite sorts into a temporary B-tree on disk instead of merging sorted runs.
    std::vector<KeyValue> binds;
    const std::string where = baseWhere(binds);
    std::vector<std::string> colSql, order;
    orderSql(true, true, colSql, order);
    // The statement stays open while onRow runs, which may let other threads run: it is
    // this read's own, so none of them resets it. Meanwhile the file stays read-locked.
    Group& g = *primary_.openGroup_;
    int rc = 0;
    sqlite3_stmt* s = g.ownStatement("SELECT " + primary_.selectList() + " FROM " + primary_.sqlTable()
            + (where.empty() ? "" : " WHERE " + where) + " ORDER BY " + joinSql(order, ", "),
        &rc);
    if (!s) {
        driverError(rc, g.db(), primary_.filePath());
        return 0;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(s, sqlite3_finalize);
    bindKeyValues(s, binds);
    Record& buffer = primary_.record();
    Record keep = spareRecord();
    std::swap(keep, buffer);
    for (rc = g.step(s); rc == SQLITE_ROW; rc = sqlite3_step(s)) {
        primary_.loadRow(s, 0);
        ++n;
        if (!onRow())
            break;
    }
    std::swap(keep, buffer);
    spare_.push_back(std::move(keep));
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        driverError(rc, g.db(), primary_.filePath());
    toStart();
    return n;
}

std::int64_t View::count()
{
    bool plain = sortTerms_.empty() && filters_.empty()
        && std::none_of(joins_.begin(), joins_.end(), [](const Join& j) { return j.inner; });
    if (plain && primary_.isOpen()) {
        std::vector<KeyValue> binds;
        std::string where = baseWhere(binds);
        std::string sql = "SELECT count(*) FROM " + primary_.sqlTable() + (where.empty() ? "" : " WHERE " + where);
        Group& g = *primary_.openGroup_;
        int rc = 0;
        sqlite3_stmt* s = g.statement(sql, &rc);
        if (!s)
            return 0;
        StatementUse use(s);
        bindKeyValues(s, binds);
        return g.step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    }
    // Filters and inner joins are tested per row: the rows are read through.
    Pos keepPos = pos_;
    auto keepIndex = sortedIndex_;
    Record keep = primary_.record();
    toStart();
    chunkSize_ = 1024;
    std::int64_t n = 0;
    while (read(true) == 0)
        ++n;
    chunkSize_ = 48;
    pos_ = keepPos;
    sortedIndex_ = keepIndex;
    primary_.record() = keep;
    invalidate();
    return n;
}

} // namespace qv::tables
