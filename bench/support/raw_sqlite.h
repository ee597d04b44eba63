#pragma once
// The raw SQLite peer of the benchmarks: one connection with a collection's
// files attached read-only, as a hand-written program opening them would do.

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/tables/table.h"

namespace qv::bench {

// The tables' files under their aliases.
inline sqlite3* attachReadOnly(
    const std::filesystem::path& folder, const std::vector<std::pair<const char*, tables::Table*>>& files)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
    std::string script;
    for (const auto& [alias, table] : files)
        script += "ATTACH 'file:" + (folder / table->filePath()).string() + "?mode=ro' AS " + alias + ";";
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    return db;
}

inline sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n%s\n", sql, sqlite3_errmsg(db));
    return s;
}

// A result column by its name, -1 when the statement has none.
inline int columnNamed(sqlite3_stmt* s, const char* name)
{
    for (int c = 0; c < sqlite3_column_count(s); ++c)
        if (std::string(sqlite3_column_name(s, c)) == name)
            return c;
    return -1;
}

// Three letters of a name, lower case as typed.
inline std::string prefixOf(const std::string& name)
{
    std::string p = name.substr(0, 3);
    for (char& ch : p)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return p;
}

} // namespace qv::bench
