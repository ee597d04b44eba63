#pragma once

// Small helpers shared by the keyed driver and the views.

#include "platform/tables/table.h"

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace qv::tables {

// Binds a key component's value: numbers as integers, text as text.
void bindKeyValue(sqlite3_stmt* s, int index, const KeyValue& v);
// Binds the values from parameter `first` on; answers the next parameter's index.
int bindKeyValues(sqlite3_stmt* s, const std::vector<KeyValue>& values, int first = 1);
std::string joinSql(const std::vector<std::string>& parts, const std::string& separator);
std::int64_t pow10(int n);

} // namespace qv::tables
