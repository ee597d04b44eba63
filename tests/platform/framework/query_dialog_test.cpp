#include <gtest/gtest.h>

#include "platform/expr/expression.h"
#include "platform/framework/query_dialog.h"
#include "platform/text/case.h"

using namespace qv;
using fw::QueryDialog;

namespace {

struct Song {
    std::string artist;
    std::int64_t year = 0;
    std::string fileNumber;
};

expr::NameTable bindingsFor(const Song& s)
{
    expr::NameTable t;
    t.bindValue("SNG:Artist", expr::Value(s.artist));
    t.bindValue("SNG:ReleaseDate", expr::Value(s.year));
    t.bindValue("SNG:FileNumber", expr::Value(s.fileNumber));
    return t;
}

// Compiles the filter as a view would and tests one record with it.
bool matches(const std::string& filter, const Song& s)
{
    const expr::NameTable t = bindingsFor(s);
    const expr::Expression e = expr::Expression::compile(filter, &t);
    EXPECT_TRUE(e.ok()) << filter << ": " << e.error().message;
    expr::Error err;
    const bool r = e.test(t, &err);
    EXPECT_TRUE(err.empty()) << filter << ": " << err.message;
    return r;
}

QueryDialog songQuery()
{
    QueryDialog q;
    EXPECT_TRUE(q.addItem("SNG:Artist", "Artist", QueryDialog::Kind::Text));
    EXPECT_TRUE(q.addItem("SNG:ReleaseDate", "Year", QueryDialog::Kind::Number));
    EXPECT_TRUE(q.addItem("SNG:FileNumber", "File Number", QueryDialog::Kind::Text));
    return q;
}

TEST(QueryDialogFilter, CaseBlindTextAndANumberJoinWithAnd)
{
    QueryDialog q = songQuery();
    EXPECT_EQ(q.BuildFilter(), "");
    q.setCondition("sng:artist", QueryDialog::Op::Eq, "Abba", true);
    q.setCondition("SNG:ReleaseDate", QueryDialog::Op::Ge, "1970");
    EXPECT_EQ(q.BuildFilter(), "UPPER(SNG:Artist) = 'ABBA' AND SNG:ReleaseDate >= 1970");
    EXPECT_TRUE(matches(q.BuildFilter(), {"ABBA", 1970, ""}));
    EXPECT_TRUE(matches(q.BuildFilter(), {"abba   ", 1976, ""})) << "padded field";
    EXPECT_FALSE(matches(q.BuildFilter(), {"Abba", 1969, ""}));
    EXPECT_FALSE(matches(q.BuildFilter(), {"Abbacadabra", 1980, ""}));
}

// Values a user may type or a tag may carry; none may break the filter or
// change what it tests.
const char* const awkward[] = {
    "O'Brien",
    "'",
    "''",
    "' OR '1'='1",
    "x') OR (1=1",
    "100%",
    "%",
    "_a_",
    "AND",
    "OR 1 = 1",
    "NOT",
    "SNG:ReleaseDate",
    "UPPER(SNG:Artist)",
    "@n3",
    "a & b",
    "\"quoted\"",
    "back\\slash",
    "line\nbreak",
    "Motörhead",
    "~^*=",
    "1970 OR 1",
    "--",
    ";",
};

TEST(QueryDialogFilter, AwkwardValuesAreMatchedLiterally)
{
    for (const char* v : awkward) {
        SCOPED_TRACE(v);
        const std::string value = v;
        struct Case {
            QueryDialog::Op op;
            bool caseBlind;
            std::string record;
            bool expected;
        };
        const Case cases[] = {
            {QueryDialog::Op::Eq, false, value, true},
            {QueryDialog::Op::Eq, false, value + "x", false},
            {QueryDialog::Op::Eq, false, "Abba", false},
            {QueryDialog::Op::Eq, true, text::lower(value), true},
            {QueryDialog::Op::Ne, false, value, false},
            {QueryDialog::Op::Ne, false, "Abba", true},
            {QueryDialog::Op::Contains, false, "[" + value + "]", true},
            {QueryDialog::Op::Contains, false, "Abba", false},
            {QueryDialog::Op::Contains, true, "pre " + text::lower(value) + " post", true},
        };
        for (const Case& c : cases) {
            QueryDialog q = songQuery();
            q.setCondition("SNG:Artist", c.op, value, c.caseBlind);
            const std::string filter = q.BuildFilter();
            const expr::Expression e = expr::Expression::compile(filter);
            ASSERT_TRUE(e.ok()) << filter;
            // The value reached the expression as one constant: the only name
            // it reads is the field, and it is one comparison.
            EXPECT_EQ(e.names(), std::vector<std::string>{"SNG:Artist"}) << filter;
            EXPECT_EQ(e.conjuncts().size(), 1u) << filter;
            EXPECT_EQ(matches(filter, {c.record, 1970, ""}), c.expected) << filter << " on " << c.record;
        }
    }
}

TEST(QueryDialogFilter, LimitsOfANumberField)
{
    struct Case {
        QueryDialog::Op op;
        const char* value;
        bool at1969, at1970, at1971;
    };
    const Case cases[] = {
        {QueryDialog::Op::Eq, "1970", false, true, false},
        {QueryDialog::Op::Ne, "1970", true, false, true},
        {QueryDialog::Op::Lt, "1970", true, false, false},
        {QueryDialog::Op::Le, "1970", true, true, false},
        {QueryDialog::Op::Gt, "1970", false, false, true},
        {QueryDialog::Op::Ge, "1970", false, true, true},
        {QueryDialog::Op::Ge, "1969.5", false, true, true},
        {QueryDialog::Op::Gt, "-5", true, true, true},
        // Not a number: compared as a text, never pasted in as one.
        {QueryDialog::Op::Eq, "1970 OR 1", false, false, false},
    };
    for (const Case& c : cases) {
        QueryDialog q = songQuery();
        q.setCondition("SNG:ReleaseDate", c.op, c.value);
        const std::string f = q.BuildFilter();
        SCOPED_TRACE(f);
        EXPECT_EQ(matches(f, {"", 1969, ""}), c.at1969);
        EXPECT_EQ(matches(f, {"", 1970, ""}), c.at1970);
        EXPECT_EQ(matches(f, {"", 1971, ""}), c.at1971);
    }
}

TEST(QueryDialogFilter, TextFieldsCompareDigitsAsText)
{
    QueryDialog q = songQuery();
    q.setCondition("SNG:FileNumber", QueryDialog::Op::Eq, "007");
    EXPECT_EQ(q.BuildFilter(), "SNG:FileNumber = '007'");
    EXPECT_TRUE(matches(q.BuildFilter(), {"", 0, "007"}));
    EXPECT_FALSE(matches(q.BuildFilter(), {"", 0, "7"}));
}

TEST(QueryDialogFilter, RangesReplacementAndClearing)
{
    QueryDialog q = songQuery();
    q.setCondition("SNG:ReleaseDate", QueryDialog::Op::Lt, "1990");
    q.setCondition("SNG:ReleaseDate", QueryDialog::Op::Lt, "1980"); // replaces the first
    q.setCondition("SNG:ReleaseDate", QueryDialog::Op::Gt, "1970"); // with it, a range
    EXPECT_EQ(q.BuildFilter(), "SNG:ReleaseDate > 1970 AND SNG:ReleaseDate < 1980");
    EXPECT_TRUE(matches(q.BuildFilter(), {"", 1975, ""}));
    EXPECT_FALSE(matches(q.BuildFilter(), {"", 1985, ""}));

    q.setCondition("SNG:ReleaseDate", QueryDialog::Op::Gt, "   "); // blank: that limit goes
    EXPECT_EQ(q.BuildFilter(), "SNG:ReleaseDate < 1980");
    EXPECT_TRUE(q.hasConditions());
    q.reset();
    EXPECT_FALSE(q.hasConditions());
    EXPECT_EQ(q.BuildFilter(), "");
    EXPECT_TRUE(q.hasItem("SNG:ReleaseDate")) << "Reset keeps the fields";
}

TEST(QueryDialogFilter, MarkedLimitTexts)
{
    struct Case {
        QueryDialog::Slot slot;
        const char* text;
        const char* filter;
        const char* roundTrip;
    };
    using S = QueryDialog::Slot;
    const Case cases[] = {
        {S::Equal, "^abba", "UPPER(SNG:Artist) = 'ABBA'", "^abba"},
        {S::Equal, "~Abba", "SNG:Artist <> 'Abba'", "~Abba"},
        {S::Equal, "~^Abba", "UPPER(SNG:Artist) <> 'ABBA'", "~^Abba"},
        {S::Equal, "*^bb", "INSTRING('BB', UPPER(SNG:Artist), 1, 1) > 0", "*^bb"},
        {S::Equal, "**NSYNC", "INSTRING('*NSYNC', SNG:Artist, 1, 1) > 0", "**NSYNC"},
        {S::Low, "=^m", "UPPER(SNG:Artist) >= 'M'", "=^m"},
        {S::High, "m", "SNG:Artist < 'm'", "m"},
        {S::High, "=", "", ""},
        {S::Equal, "Abba   ", "SNG:Artist = 'Abba'", "Abba"},
    };
    for (const Case& c : cases) {
        QueryDialog q = songQuery();
        ASSERT_TRUE(q.setLimitText("SNG:ARTIST", c.slot, c.text));
        EXPECT_EQ(q.BuildFilter(), c.filter) << c.text;
        EXPECT_EQ(q.limitText("SNG:Artist", c.slot), c.roundTrip) << c.text;
    }
    // Given as a limit rather than a text, a value may start with a mark.
    QueryDialog q = songQuery();
    q.setLimit("SNG:Artist", S::Equal, {.value = "^caret"});
    EXPECT_TRUE(matches(q.BuildFilter(), {"^caret", 0, ""}));
}

TEST(QueryDialogFilter, OnlyNamesOfTheLanguageBecomeFields)
{
    QueryDialog q;
    for (const char* bad : {"", "1st", "SNG:Artist) OR (1", "AND", "or", "SNG Artist", "A'B"})
        EXPECT_FALSE(q.addItem(bad)) << bad;
    EXPECT_TRUE(q.addItem("SNG:Artist"));
    EXPECT_FALSE(q.addItem("sng:ARTIST")) << "names ignore case";
    EXPECT_TRUE(q.addItem("$X:Y"));
    EXPECT_FALSE(q.setCondition("SNG:Title", QueryDialog::Op::Eq, "x"));
    EXPECT_EQ(q.BuildFilter(), "");
}

} // namespace
