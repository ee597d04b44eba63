#include <gtest/gtest.h>

#include "platform/expr/datetime.h"
#include "platform/expr/expression.h"
#include "platform/outside/query_design.h"

namespace qv::outside {
namespace {

TCQW_FIELDSQUEUE field(std::string desc, std::string name, std::string picture, int type, int control = 1,
    std::string options = {}, std::string lookup = {})
{
    TCQW_FIELDSQUEUE f;
    f.QWFLDDESC = std::move(desc);
    f.QWFLDNAME = std::move(name);
    f.QWFLDPICTURE = std::move(picture);
    f.QWFLDDATATYPE = static_cast<std::uint8_t>(type);
    f.QWFLDCONTROL = static_cast<std::uint8_t>(control);
    f.QWFLDOPTIONS = std::move(options);
    f.QWFLDLOOKUP = std::move(lookup);
    return f;
}

FieldsQueue songFields()
{
    FieldsQueue q;
    q.rows = {field("Artist", "SNG:Artist", "@s50", 1, 1, {}, "SelectSNG:Artist()"),
        field("Title", "SNG:Title", "@s50", 1), field("Year", "SNG:ReleaseDate", "@n_4", 2),
        field("Time", "SNG:Time", "@T4", 2), field("Last played", "SNG:LastPlayed", "@d6", 2),
        field("Live", "SNG:Live", "@n3", 2, 2, "Live"),
        field("Ending", "SNG:EndType", "@s6", 1, 3, "Slow|Fast|Abrupt")};
    return q;
}

struct Song {
    const char* artist;
    const char* title;
    int year;
    std::int32_t time;
    std::int32_t lastPlayed;
    int live;
    const char* ending;
};

// Ten songs the filters choose among, by their row numbers 1..n.
const std::vector<Song>& songs()
{
    static const std::vector<Song> all{
        {"ABBA", "Waterloo", 1974, expr::timeFromHms(0, 2, 47), expr::dateFromYmd(2004, 12, 25), 0, "Fast"},
        {"abba", "Dancing Queen", 1976, expr::timeFromHms(0, 3, 51), expr::dateFromYmd(2005, 1, 2), 1, "Slow"},
        {"Sinéad O'Connor", "Nothing Compares 2 U", 1990, expr::timeFromHms(0, 5, 10), 0, 0, "Slow"},
        {"100% Pure", "Under_score", 2001, expr::timeFromHms(0, 3, 55), 0, 1, "Abrupt"},
        {"AND OR NOT", "It's (a) test", 1970, expr::timeFromHms(0, 4, 0), expr::dateFromYmd(2004, 12, 24), 0, ""},
    };
    return all;
}

// The rows (1-based) whose record passes the filter.
std::vector<int> passing(const std::string& filter)
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < songs().size(); ++i) {
        const Song& s = songs()[i];
        expr::NameTable names;
        names.bindValue("SNG:Artist", expr::Value(std::string(s.artist)));
        names.bindValue("SNG:Title", expr::Value(std::string(s.title)));
        names.bindValue("SNG:ReleaseDate", s.year);
        names.bindValue("SNG:Time", s.time);
        names.bindValue("SNG:LastPlayed", s.lastPlayed);
        names.bindValue("SNG:Live", s.live);
        names.bindValue("SNG:EndType", expr::Value(std::string(s.ending)));
        const expr::Expression e = expr::Expression::compile(filter, &names);
        EXPECT_TRUE(e.ok()) << filter << ": " << e.error().message;
        if (e.test(names))
            rows.push_back(static_cast<int>(i) + 1);
    }
    return rows;
}

QueryCondition cond(
    std::string name, Operation op, std::string value = {}, bool caseSensitive = false, bool orPrev = false)
{
    QueryCondition c;
    c.field = std::move(name);
    c.op = op;
    c.value = std::move(value);
    c.caseSensitive = caseSensitive;
    c.orWithPrevious = orPrev;
    return c;
}

TEST(QueryDesign, EachConditionChoosesTheRightRecords)
{
    using O = Operation;
    const struct {
        QueryCondition c;
        std::vector<int> rows;
    } cases[] = {
        {cond("SNG:Artist", O::Equal, "abba"), {1, 2}},
        {cond("SNG:Artist", O::Equal, "abba", true), {2}},
        {cond("SNG:Artist", O::NotEqual, "ABBA", true), {2, 3, 4, 5}},
        {cond("SNG:Artist", O::Equal, "Sinéad O'Connor"), {3}},
        {cond("SNG:Artist", O::Equal, "AND OR NOT"), {5}},
        {cond("SNG:Title", O::Contains, "%"), {}},
        {cond("SNG:Artist", O::Contains, "%"), {4}},
        {cond("SNG:Title", O::Contains, "_"), {4}},
        {cond("SNG:Title", O::Contains, "'s (a"), {5}},
        {cond("SNG:Title", O::NotContains, "q"), {1, 3, 4, 5}},
        {cond("SNG:Title", O::Contains, "QUEEN"), {2}},
        {cond("SNG:Title", O::Contains, "QUEEN", true), {}},
        {cond("SNG:Artist", O::BeginsWith, "ab"), {1, 2}},
        {cond("SNG:Artist", O::BeginsWith, "AB", true), {1}},
        {cond("SNG:Artist", O::NotBeginsWith, "ab"), {3, 4, 5}},
        {cond("SNG:Artist", O::BeginsWith, "Siné"), {3}},
        {cond("SNG:Artist", O::Greater, "b"), {3}},
        {cond("SNG:ReleaseDate", O::GreaterOrEqual, "1,976"), {2, 3, 4}},
        {cond("SNG:ReleaseDate", O::Less, "1974"), {5}},
        {cond("SNG:ReleaseDate", O::Equal, "1990 OR 1=1"), {}},
        {cond("SNG:Time", O::Greater, "0:03:51"), {3, 4, 5}},
        {cond("SNG:Time", O::LessOrEqual, "0:03:51"), {1, 2}},
        {cond("SNG:LastPlayed", O::Equal, "25/12/2004"), {1}},
        {cond("SNG:LastPlayed", O::GreaterOrEqual, "25/12/2004"), {1, 2}},
        {cond("SNG:Live", O::Checked), {2, 4}},
        {cond("SNG:Live", O::NotChecked), {1, 3, 5}},
        {cond("SNG:EndType", O::Equal, "Slow"), {2, 3}},
        {cond("SNG:EndType", O::NotEqual, "Slow"), {1, 4, 5}},
    };
    const FieldsQueue q = songFields();
    for (const auto& c : cases) {
        const std::string filter = buildFilter({c.c}, q);
        EXPECT_EQ(passing(filter), c.rows) << filter;
    }
}

TEST(QueryDesign, AndBindsTighterThanOr)
{
    using O = Operation;
    const FieldsQueue q = songFields();
    // Live AND year before 1980, OR ending Abrupt, AND a hand-typed test with an OR of its own.
    const std::vector<QueryCondition> conditions{cond("SNG:Live", O::Checked), cond("SNG:ReleaseDate", O::Less, "1980"),
        cond("SNG:EndType", O::Equal, "Abrupt", false, true), [] {
            QueryCondition manual;
            manual.manual = "SNG:ReleaseDate = 1 OR SNG:ReleaseDate = 2001";
            return manual;
        }()};
    const std::string filter = buildFilter(conditions, q);
    EXPECT_EQ(filter,
        "(SNG:Live <> 0 AND SNG:ReleaseDate < 1980) OR (UPPER(SNG:EndType) = 'ABRUPT' AND "
        "(SNG:ReleaseDate = 1 OR SNG:ReleaseDate = 2001))");
    EXPECT_EQ(passing(filter), (std::vector<int>{2, 4}));
    // One chain needs no brackets around it.
    EXPECT_EQ(buildFilter({cond("SNG:Live", O::Checked), cond("SNG:Live", O::Checked)}, q),
        "SNG:Live <> 0 AND SNG:Live <> 0");
    EXPECT_EQ(buildFilter({}, q), "");
}

TEST(QueryDesign, OperationsFitTheField)
{
    using O = Operation;
    const FieldsQueue q = songFields();
    EXPECT_EQ(operationsFor(*q.find("SNG:Artist")).size(), 10u);
    EXPECT_EQ(operationsFor(*q.find("SNG:Time")),
        (std::vector<O>{O::Equal, O::NotEqual, O::Greater, O::Less, O::GreaterOrEqual, O::LessOrEqual}));
    EXPECT_EQ(operationsFor(*q.find("SNG:Live")), (std::vector<O>{O::Checked, O::NotChecked}));
    EXPECT_EQ(operationsFor(*q.find("SNG:EndType")), (std::vector<O>{O::Equal, O::NotEqual}));
}

} // namespace
} // namespace qv::outside
