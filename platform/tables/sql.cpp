#include "platform/tables/sql.h"

#include <sqlite3.h>

namespace qv::tables {

void bindKeyValue(sqlite3_stmt* s, int index, const KeyValue& v)
{
    if (auto n = std::get_if<std::int64_t>(&v))
        sqlite3_bind_int64(s, index, *n);
    else {
        const auto& t = std::get<std::string>(v);
        sqlite3_bind_text(s, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
}

int bindKeyValues(sqlite3_stmt* s, const std::vector<KeyValue>& values, int first)
{
    for (const KeyValue& v : values)
        bindKeyValue(s, first++, v);
    return first;
}

std::string joinSql(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

std::int64_t pow10(int n)
{
    std::int64_t r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

} // namespace qv::tables
