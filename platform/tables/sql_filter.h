#pragma once

// Filters in SQLite's terms: the part of a condition SQLite can test by itself, with every
// constant a bound value, so it can skip rows by an index or in its own scan before the
// expression is tested on the rows it keeps.

#include "platform/expr/expression.h"
#include "platform/tables/table.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {

// Where a field is stored: its column (text trimmed of trailing blanks, numbers as integers,
// a DECIMAL in units of its last place).
struct SqlColumn {
    std::string sql;
    FieldType type = FieldType::Long;
    int places = 0;
};
// The column of a field the query may read; nothing for any other name.
using ColumnOf = std::function<std::optional<SqlColumn>(std::string_view name)>;

struct SqlCondition {
    std::string sql; // one "?" per value, in order
    std::vector<KeyValue> values;
    // Holds for exactly the rows the condition keeps; otherwise for at least those.
    bool exact = false;
};

// What SQLite can test of the condition: never a row the condition keeps left out. Nothing
// when no part of it can be asked.
std::optional<SqlCondition> sqlCondition(const expr::Predicate& condition, const ColumnOf& columnOf);

// The table's own fields as stored; none of an encrypted table, whose columns hold no values.
ColumnOf storedColumns(const Table& table);

} // namespace qv::tables
