#include "platform/tables/copy.h"

#include "platform/tables/group.h"
#include "platform/tables/sql.h"
#include "platform/tables/view.h"
#include "platform/text/case.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

namespace qv::tables {

namespace {

bool keyed(const TableDef& def, int field)
{
    for (const auto& k : def.keys)
        for (const auto& c : k.components)
            if (def.fieldIndex(c) == field)
                return true;
    return false;
}

int integerBytes(FieldType t)
{
    switch (t) {
    case FieldType::Byte:
        return 1;
    case FieldType::Short:
        return 2;
    case FieldType::Long:
        return 4;
    default:
        return 0;
    }
}

// Whether every value `from` can hold is a value of `into`, stored alike.
bool holds(const FieldDef& into, const FieldDef& from)
{
    if (into.type == FieldType::String || from.type == FieldType::String)
        return into.type == from.type && into.length >= from.length;
    if (into.type == FieldType::Decimal || from.type == FieldType::Decimal)
        return into.type == from.type && into.places == from.places && into.digits() >= from.digits();
    return integerBytes(into.type) >= integerBytes(from.type);
}

int fieldOf(const TableDef& def, std::string_view name)
{
    const int f = def.fieldIndex(name);
    if (f < 0)
        throw std::invalid_argument(def.label + " has no field " + std::string(name));
    return f;
}

std::string qualified(const std::string& table, const std::string& column)
{
    return table + "." + column;
}

} // namespace

TableCopy::TableCopy(const Table& from, int fromKey, const Table& into)
    : fromDef_(from.def())
    , intoDef_(into.def())
    , fromPath_(from.filePath())
    , intoPath_(into.filePath())
    , fromKey_(fromKey)
{
    if (fromDef_.driver != DriverKind::Keyed || intoDef_.driver != DriverKind::Keyed)
        throw std::invalid_argument("a copy is made between keyed tables");
    // Sealed records can only be written one at a time.
    if (!fromDef_.ownerPassword.empty() || !intoDef_.ownerPassword.empty())
        throw std::invalid_argument("a copy cannot read or write sealed records");
    if (fromKey_ >= static_cast<int>(fromDef_.keys.size()))
        fromKey_ = -1;
    for (const auto& k : intoDef_.keys)
        if (k.autoNumbered > 0)
            throw std::invalid_argument(intoDef_.label + " numbers its records as they are added");
}

TableCopy::~TableCopy()
{
    if (group_ && group_->inTransaction())
        group_->rollback();
    close();
}

void TableCopy::carry(std::string_view intoField, std::string_view fromField)
{
    const int i = fieldOf(intoDef_, intoField), f = fieldOf(fromDef_, fromField);
    if (!holds(intoDef_.fields[i], fromDef_.fields[f]))
        throw std::invalid_argument(intoDef_.fields[i].name + " cannot hold every " + fromDef_.fields[f].name);
    carried_.push_back({i, f});
}

void TableCopy::skipBlank(std::string_view fromField)
{
    blanks_.push_back(fieldOf(fromDef_, fromField));
}

void TableCopy::firstOfEach(int components)
{
    const int most = fromKey_ < 0 ? 0 : static_cast<int>(fromDef_.keys[fromKey_].components.size());
    groupBy_ = std::clamp(components, 0, most);
}

int TableCopy::begin(int timeoutSeconds)
{
    if (started_)
        return setError(TransactionActive, intoPath_);
    // The copy's connection writes one file, so its main database needs no file of its
    // own to make the commit atomic: SQLite's private temporary one serves.
    group_ = std::make_unique<Group>("");
    from_ = std::make_unique<Table>(fromDef_);
    into_ = std::make_unique<Table>(intoDef_);
    from_->setFileName(fromPath_);
    into_->setFileName(intoPath_);
    from_->setGroup(group_.get());
    into_->setGroup(group_.get());
    if (int e = from_->open(ReadOnly | DenyNone)) {
        close();
        return e;
    }
    if (int e = into_->open(ReadWrite | DenyNone)) {
        close();
        return e;
    }
    // A text field carried from one without a folded copy gets its fold here.
    sqlite3_create_function(
        group_->db(), "qv_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        [](sqlite3_context* ctx, int, sqlite3_value** argv) {
            const char* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
            const std::string k
                = text::foldKey(std::string_view(t ? t : "", static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))));
            sqlite3_result_text(ctx, k.data(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
        },
        nullptr, nullptr);
    if (int e = group_->begin(timeoutSeconds)) {
        close();
        return e;
    }
    total_ = from_->records(fromKey_);
    done_ = 0;
    lower_.clear();
    started_ = true;
    finished_ = false;
    return setError(NoError);
}

std::string TableCopy::rangeSql(const char* op, const std::string& table) const
{
    std::vector<std::string> cols;
    for (const auto& c : from_->keyOrderColumns(fromKey_))
        cols.push_back(qualified(table, c));
    cols.push_back(qualified(table, "_rid"));
    const std::vector<std::string> marks(cols.size(), "?");
    return "(" + joinSql(cols, ", ") + ") " + op + " (" + joinSql(marks, ", ") + ")";
}

std::string TableCopy::stepSql(bool lower, bool upper) const
{
    std::vector<std::string> intoCols, values;
    for (const Carried& c : carried_) {
        intoCols.push_back(into_->columnOf(c.into));
        values.push_back(qualified("q", from_->columnOf(c.from)));
    }
    for (const Carried& c : carried_) {
        if (intoDef_.fields[c.into].type != FieldType::String || !keyed(intoDef_, c.into))
            continue;
        intoCols.push_back(into_->keyColumnOf(c.into));
        values.push_back(keyed(fromDef_, c.from) ? qualified("q", from_->keyColumnOf(c.from))
                                                 : "qv_fold(" + qualified("q", from_->columnOf(c.from)) + ")");
    }

    // The rows that count, on an alias of the source.
    auto filters = [&](const std::string& t) {
        std::vector<std::string> w;
        // The key's own condition names bare columns: they are t's, the nearest in scope.
        if (const std::string k = from_->keyWhere(fromKey_); !k.empty())
            w.push_back(k);
        for (int f : blanks_) {
            // A folded copy is blank exactly when its field is, and lies in the key.
            const bool text = fromDef_.fields[f].type == FieldType::String;
            const std::string col = text && keyed(fromDef_, f) ? from_->keyColumnOf(f) : from_->columnOf(f);
            w.push_back(qualified(t, col) + (text ? " <> ''" : " <> 0"));
        }
        return w;
    };
    auto ranged = [&](const std::string& t) {
        std::vector<std::string> w = filters(t);
        if (lower)
            w.push_back(rangeSql(">", t));
        if (upper)
            w.push_back(rangeSql("<=", t));
        return w;
    };
    auto where = [](const std::vector<std::string>& w) {
        return w.empty() ? std::string(" WHERE 1") : " WHERE " + joinSql(w, " AND ");
    };

    std::vector<std::string> order;
    for (const auto& c : from_->keyOrderColumns(fromKey_))
        order.push_back(qualified("q", c));
    order.push_back("q._rid");

    std::string rows;
    if (groupBy_ == 0) {
        rows = where(ranged("q"));
    } else {
        // The distinct leading values in the range, from the key alone; for each, the
        // first row of its group: one seek in the key. Only those rows are read whole.
        const auto keyCols = from_->keyOrderColumns(fromKey_);
        std::vector<std::string> groupCols, same, firstOrder;
        for (int i = 0; i < groupBy_; ++i) {
            groupCols.push_back(qualified("y", keyCols[i]));
            same.push_back(qualified("x", keyCols[i]) + " = " + qualified("d", keyCols[i]));
        }
        for (const auto& c : keyCols)
            firstOrder.push_back(qualified("x", c));
        firstOrder.push_back("x._rid");
        std::vector<std::string> inGroup = filters("x");
        inGroup.insert(inGroup.end(), same.begin(), same.end());
        rows = " WHERE q._rid IN (SELECT (SELECT x._rid FROM " + from_->sqlTable() + " AS x" + where(inGroup)
            + " ORDER BY " + joinSql(firstOrder, ", ") + " LIMIT 1) FROM (SELECT DISTINCT " + joinSql(groupCols, ", ")
            + " FROM " + from_->sqlTable() + " AS y" + where(ranged("y")) + ") AS d)";
    }
    return "INSERT INTO " + into_->sqlTable() + " (" + joinSql(intoCols, ", ") + ") SELECT " + joinSql(values, ", ")
        + " FROM " + from_->sqlTable() + " AS q" + rows + " ORDER BY " + joinSql(order, ", ")
        + " ON CONFLICT DO NOTHING";
}

int TableCopy::step(std::int64_t n)
{
    if (!started_ || !group_->inTransaction())
        return setError(NoTransaction, intoPath_);
    if (finished_)
        return setError(RecordNotAvailable, fromPath_);
    Group& g = *group_;
    const bool lower = !lower_.empty();

    // Where the step ends: the n-th record from here in key order, if there is one.
    std::vector<KeyValue> upper;
    {
        std::vector<std::string> cols = from_->keyOrderColumns(fromKey_);
        cols.push_back("_rid");
        std::vector<std::string> w;
        if (const std::string k = from_->keyWhere(fromKey_); !k.empty())
            w.push_back(k);
        if (lower)
            w.push_back(rangeSql(">", from_->sqlTable()));
        const std::string sql = "SELECT " + joinSql(cols, ", ") + " FROM " + from_->sqlTable()
            + (w.empty() ? "" : " WHERE " + joinSql(w, " AND ")) + " ORDER BY " + joinSql(cols, ", ")
            + " LIMIT 1 OFFSET ?";
        int rc = 0;
        sqlite3_stmt* s = g.statement(sql, &rc);
        if (!s)
            return driverError(rc, g.db(), fromPath_);
        StatementUse use(s);
        sqlite3_bind_int64(s, bindKeyValues(s, lower_), std::max<std::int64_t>(n, 1) - 1);
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                if (sqlite3_column_type(s, c) == SQLITE_INTEGER)
                    upper.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(s, c)));
                else
                    upper.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                        static_cast<std::size_t>(sqlite3_column_bytes(s, c))));
            }
        } else if (rc != SQLITE_DONE) {
            return driverError(rc, g.db(), fromPath_);
        }
    }

    int rc = 0;
    sqlite3_stmt* s = g.statement(stepSql(lower, !upper.empty()), &rc);
    if (!s)
        return driverError(rc, g.db(), intoPath_);
    {
        StatementUse use(s);
        bindKeyValues(s, upper, bindKeyValues(s, lower_));
        rc = sqlite3_step(s);
        if (rc != SQLITE_DONE)
            return driverError(rc, g.db(), intoPath_);
    }
    if (upper.empty()) {
        finished_ = true;
        done_ = total_;
    } else {
        done_ = std::min(total_, done_ + std::max<std::int64_t>(n, 1));
        lower_ = std::move(upper);
    }
    return setError(NoError);
}

int TableCopy::commit()
{
    if (!started_ || !group_->inTransaction())
        return setError(NoTransaction, intoPath_);
    const int e = group_->commit();
    if (e == 0)
        noteWrite(intoPath_); // lists drop the rows they read ahead
    close();
    return e;
}

int TableCopy::rollback()
{
    if (!started_ || !group_->inTransaction())
        return setError(NoTransaction, intoPath_);
    const int e = group_->rollback();
    close();
    return e;
}

void TableCopy::close()
{
    if (from_ && from_->isOpen())
        from_->close();
    if (into_ && into_->isOpen())
        into_->close();
    from_.reset();
    into_.reset();
    group_.reset();
    started_ = false;
}

} // namespace qv::tables
