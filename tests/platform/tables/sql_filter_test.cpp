#include "fixtures.h"

#include "platform/expr/datetime.h"
#include "platform/tables/bindings.h"
#include "platform/tables/sql.h"
#include "platform/tables/sql_filter.h"
#include "platform/tables/view.h"

#include <sqlite3.h>

#include <algorithm>

namespace qv::tables::testing {
namespace {

TableDef tracksDef()
{
    TableDef d;
    d.label = "Tracks";
    d.prefix = "TRK";
    d.fileName = "tracks";
    d.fields = {stringField("TRK:Artist", 12), stringField("TRK:Title", 12), decimalField("TRK:Price", 7, 2),
        longField("TRK:Added", LongKind::Date), longField("TRK:Plays"), byteField("TRK:Rating")};
    d.keys = {
        {"TRK:KeyArtist", "Artist", {"Artist", "Title"}, false, false, 0, false},
        {"TRK:KeyAdded", "Added", {"Added"}, false, false, 0, false},
    };
    return d;
}

// Tracks whose values differ only in what a careless translation gets wrong: trailing blanks,
// a tab, case, quotes, LIKE's wildcards, text that reads as a number, text exactly as long as its
// field, accents, zero and empty values. The lists' lengths share no factor, so every
// artist meets every title, price and date.
struct SqlFilters : ::testing::Test {
    TempFolder dir;
    Group group{dir.file(".qvgroup")};
    Table tracks{tracksDef()};
    RecordBindings names;

    void SetUp() override
    {
        tracks.setFileName(dir.file("tracks"));
        tracks.setGroup(&group);
        ASSERT_EQ(tracks.create(), 0);
        ASSERT_EQ(tracks.open(), 0);
        names.add(tracks);
        const std::vector<std::string> artists{
            "O'Connor", "o'connor ", "", "100%", "a_b", "axb", "Zoë", "ZOË", "10", "9", " 7", "Max", "MAX"};
        const std::vector<std::string> titles{
            "Rain ", "rain", "RAIN dance", "% off", "_x_", "", "it's", "Sea", "twelve chars", "ë n", "\t "};
        const std::vector<std::string> prices{"0", "-3.25", "12.50", "0.01", "99999.99", "12.5", "7"};
        const std::vector<std::int32_t> dates{0, expr::dateFromYmd(2020, 1, 1), expr::dateFromYmd(1999, 12, 31)};
        ASSERT_EQ(group.begin(), 0);
        for (int i = 0; i < 13 * 11 * 7; ++i) {
            Record& r = tracks.record();
            r.clear();
            r["TRK:Artist"] = artists[i % artists.size()];
            r["TRK:Title"] = titles[i % titles.size()];
            r["TRK:Price"] = *expr::Decimal::parse(prices[i % prices.size()]);
            r["TRK:Added"] = dates[(i / 7) % dates.size()];
            r["TRK:Plays"] = i % 4 == 0 ? 0 : i;
            r["TRK:Rating"] = i % 5;
            ASSERT_EQ(tracks.insert(), 0);
        }
        ASSERT_EQ(group.commit(), 0);
    }

    // The record ids the view gives in its order, and those the expression keeps of all rows
    // in the same order.
    std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>> viewAndEachRow(const std::string& filter, int key)
    {
        auto e = expr::Expression::compile(filter, &names);
        EXPECT_TRUE(e.ok()) << filter;
        std::vector<std::int64_t> byView, byRow;
        View all(tracks), filtered(tracks);
        all.setOrderKey(key);
        filtered.setOrderKey(key);
        EXPECT_EQ(filtered.setFilter("q", filter), 0) << filter;
        for (all.toStart(); all.next() == 0;)
            if (e.test(names))
                byRow.push_back(tracks.record().recordId);
        for (filtered.toStart(); filtered.next() == 0;)
            byView.push_back(tracks.record().recordId);
        return {byView, byRow};
    }

    // The record ids SQLite keeps by the condition alone, asked on the table's own connection.
    std::vector<std::int64_t> bySqlite(const SqlCondition& c)
    {
        const std::string sql = "SELECT _rid FROM " + tracks.sqlTable() + " WHERE " + c.sql + " ORDER BY _rid";
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(group.db(), sql.c_str(), -1, &s, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(group.db());
        bindKeyValues(s, c.values);
        std::vector<std::int64_t> ids;
        while (sqlite3_step(s) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        return ids;
    }
};

enum class Pushed { Nothing, Implied, Exact };

const std::vector<std::pair<std::string, Pushed>> kCases{
    {"TRK:Artist = 'O''Connor'", Pushed::Exact},
    {"'Max' = TRK:Artist", Pushed::Exact},
    {"'M' < TRK:Artist AND TRK:Artist <= 'a_b'", Pushed::Exact},
    {"UPPER(TRK:Artist) = UPPER('o''connor')", Pushed::Exact},
    {"UPPER(TRK:Title) >= UPPER('r') AND UPPER(TRK:Title) < 'S'", Pushed::Exact},
    {"TRK:Artist = '10' OR TRK:Artist > '9' OR TRK:Artist = ' 7'", Pushed::Exact},
    {"TRK:Title = 'twelve chars' OR TRK:Title = '' OR TRK:Title = 'Rain'", Pushed::Exact},
    {"TRK:Artist = 'O''Connor' OR TRK:Title = 'rain'", Pushed::Exact},
    {"NOT TRK:Artist = 'O''Connor'", Pushed::Exact},
    {"NOT (TRK:Artist = '' OR TRK:Plays = 0)", Pushed::Exact},
    {"~(UPPER(TRK:Title) = 'RAIN' AND TRK:Rating > 2) AND TRK:Price <> 0", Pushed::Exact},
    {"(TRK:Rating = 1 OR TRK:Rating = 2) AND (TRK:Title <> '' OR INSTRING('a', TRK:Artist))", Pushed::Exact},
    {"INSTRING('%', TRK:Artist)", Pushed::Exact},
    {"INSTRING('_', TRK:Title, 1, 1) > 0", Pushed::Exact},
    {"INSTRING('RAIN', UPPER(TRK:Title)) = 0", Pushed::Exact},
    {"INSTRING('ë', TRK:Artist) OR TRK:Price > 12.5", Pushed::Exact},
    {"INSTRING('Ë', UPPER(TRK:Artist)) AND NOT INSTRING('''', TRK:Artist)", Pushed::Exact},
    {"TRK:Price = 12.5 OR TRK:Price = -3.25", Pushed::Exact},
    {"TRK:Price >= 0.01 AND TRK:Price < 100", Pushed::Exact},
    {"TRK:Price < -3.249 OR TRK:Plays = 14.0", Pushed::Exact},
    // Constants finer than the field: the nearest number it can hold on the test's side.
    {"TRK:Price = 0.005 OR TRK:Price <= 12.499 AND TRK:Price > 0.001", Pushed::Exact},
    {"TRK:Price >= 12.4999 OR TRK:Price < -3.2501 OR TRK:Plays > 3.5", Pushed::Exact},
    {"NOT TRK:Price <> -0.001", Pushed::Exact},
    {"TRK:Price > 100000000000000000 OR TRK:Rating = 4", Pushed::Exact},
    {"NOT TRK:Price < -100000000000000000", Pushed::Exact},
    {"TRK:Added >= DATE(1, 1, 2000) OR TRK:Added = 0", Pushed::Exact},
    {"TRK:Added < 73000 AND NOT TRK:Added = 0", Pushed::Exact},
    // Found across the padding of "rain" and "Rain ": SQLite looks for "n" only.
    {"INSTRING('n ', TRK:Title)", Pushed::Implied},
    {"INSTRING('n ', TRK:Title) OR TRK:Rating = 0", Pushed::Implied},
    {"TRK:Rating = 1 AND (TRK:Plays + 0 > 10 OR TRK:Title = 'Sea')", Pushed::Implied},
    {"TRK:Rating = 3 AND (TRK:Artist < 10 OR TRK:Price = 0.005)", Pushed::Implied},
    // Negating a looser test would lose rows.
    {"NOT (TRK:Rating = 1 AND TRK:Plays + 0 > 10)", Pushed::Nothing},
    {"NOT INSTRING('n ', TRK:Title)", Pushed::Nothing},
    {"TRK:Artist = 7 OR TRK:Plays = 0", Pushed::Nothing},
    {"TRK:Artist < 10", Pushed::Nothing},
    {"INSTRING(' ', TRK:Title)", Pushed::Nothing},
    {"INSTRING('', TRK:Title)", Pushed::Nothing},
    {"TRK:Plays = '0'", Pushed::Nothing},
    {"UPPER(TRK:Plays) = '0'", Pushed::Nothing},
    {"TRK:Plays = 0 XOR TRK:Rating = 1", Pushed::Nothing},
    {"TRK:Rating AND NOT TRK:Price OR NOT TRK:Plays", Pushed::Exact},
    {"TRK:Artist AND NOT UPPER(TRK:Title)", Pushed::Exact},
    {"UPPER(TRK:Rating)", Pushed::Nothing},
};

// SQLite is asked what it can test of each filter; the view still gives exactly the rows the
// expression keeps, in each order.
TEST_F(SqlFilters, TheViewKeepsTheRowsTheExpressionKeeps)
{
    for (const auto& [filter, pushed] : kCases)
        for (int key : {0, 1, -1}) {
            auto [byView, byRow] = viewAndEachRow(filter, key);
            EXPECT_EQ(byView, byRow) << filter << " (key " << key << ")";
        }
}

// What SQLite is asked keeps every row the expression keeps, and no other when it is exact.
TEST_F(SqlFilters, WhatSqliteTestsIsImpliedByTheFilter)
{
    for (const auto& [filter, pushed] : kCases) {
        auto e = expr::Expression::compile(filter, &names);
        ASSERT_TRUE(e.ok()) << filter;
        auto c = sqlCondition(e.predicate(), storedColumns(tracks));
        EXPECT_EQ(!c ? Pushed::Nothing : c->exact ? Pushed::Exact : Pushed::Implied, pushed) << filter;
        if (!c)
            continue;
        auto [unused, want] = viewAndEachRow(filter, -1);
        auto got = bySqlite(*c);
        std::sort(want.begin(), want.end());
        if (c->exact)
            EXPECT_EQ(got, want) << filter << " as " << c->sql;
        else
            EXPECT_TRUE(std::includes(got.begin(), got.end(), want.begin(), want.end())) << filter << " as " << c->sql;
        // Constants are bound, never written into the statement.
        EXPECT_EQ(c->sql.find('\''), std::string::npos) << c->sql;
    }
}

TEST(SqlFilterColumns, AnEncryptedTableOrAnotherTablesFieldsGiveNoColumn)
{
    TableDef def = tracksDef();
    Table plain(def);
    def.ownerPassword = "secret";
    Table locked(def);
    EXPECT_TRUE(storedColumns(plain)("trk:artist"));
    EXPECT_FALSE(storedColumns(plain)("SNG:Artist"));
    EXPECT_FALSE(storedColumns(plain)("TRK:Nothing"));
    EXPECT_FALSE(storedColumns(locked)("TRK:Artist"));
}

} // namespace
} // namespace qv::tables::testing
