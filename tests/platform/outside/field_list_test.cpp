#include <gtest/gtest.h>

#include "platform/outside/query_wizard.h"

namespace qv::outside {
namespace {

std::string row(std::vector<std::string> values)
{
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i)
        out += values[i] + (i + 1 == values.size() ? kRowEnd : kValueEnd);
    return out;
}

const std::string kArtist
    = row({"Artist (Song)", "0", "SNG:Artist", "@s50", "50", "1", "1", "SelectSNG:Artist()", "", ""});
const std::string kEnding
    = row({"Type of ending", "0", "SNG:EndType", "@s6", "6", "1", "3", "", "Slow|Fast|Abrupt", ""});

TEST(FieldList, GoodListFillsTheQueueInOrder)
{
    FieldsQueue q;
    std::int32_t error = -1;
    TC_ADDFIELDSQUEUEDATA(q, kArtist + kEnding, error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(q.rows.size(), 2u);
    EXPECT_EQ(q.rows[0].QWFLDDESC, "Artist (Song)");
    EXPECT_EQ(q.rows[0].QWFLDLOOKUP, "SelectSNG:Artist()");
    EXPECT_EQ(q.rows[0].QWFLDLENGTH, 50);
    EXPECT_EQ(q.rows[1].QWFLDCONTROL, fieldcontrol::DropList);
    EXPECT_EQ(q.rows[1].QWFLDOPTIONS, "Slow|Fast|Abrupt");
    EXPECT_EQ(q.find("sng:endtype"), &q.rows[1]);
    // A packed row reads back as it was.
    EXPECT_EQ(packFieldRow(q.rows[0]) + packFieldRow(q.rows[1]), kArtist + kEnding);
    TC_INITFIELDSQUEUE(q, "SONGS");
    EXPECT_EQ(q.name, "SONGS");
}

TEST(FieldList, UnicodeValuesNeedNoEscaping)
{
    FieldsQueue q;
    std::int32_t error = -1;
    TC_ADDFIELDSQUEUEDATA(q, row({"Künstler «Æ»", "0", "SNG:Artist", "@s50", "50", "1", "1", "", "", ""}), error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(q.rows.size(), 1u);
    EXPECT_EQ(q.rows[0].QWFLDDESC, "Künstler «Æ»");
}

TEST(FieldList, EachFaultHasItsNumberAndAddsNothing)
{
    const struct {
        const char* what;
        std::string packed;
        std::int32_t error;
    } cases[] = {
        {"empty", "", fieldlist_error::Empty},
        {"nine values", row({"A", "0", "X:A", "@s5", "5", "1", "1", "", ""}), fieldlist_error::RowShape},
        {"eleven values", row({"A", "0", "X:A", "@s5", "5", "1", "1", "", "", "", ""}), fieldlist_error::RowShape},
        {"unended row", kArtist + "Album" + kValueEnd, fieldlist_error::RowShape},
        {"length", row({"A", "0", "X:A", "@s5", "five", "1", "1", "", "", ""}), fieldlist_error::NotANumber},
        {"negative type", row({"A", "0", "X:A", "@s5", "5", "-1", "1", "", "", ""}), fieldlist_error::NotANumber},
        {"control", row({"A", "0", "X:A", "@s5", "5", "1", "", "", "", ""}), fieldlist_error::NotANumber},
        {"data type 3", row({"A", "0", "X:A", "@s5", "5", "3", "1", "", "", ""}), fieldlist_error::DataType},
        {"control 4", row({"A", "0", "X:A", "@s5", "5", "1", "4", "", "", ""}), fieldlist_error::Control},
        {"control 0", row({"A", "0", "X:A", "@s5", "5", "1", "0", "", "", ""}), fieldlist_error::Control},
        {"no name", row({"A", "0", "", "@s5", "5", "1", "1", "", "", ""}), fieldlist_error::EmptyName},
        {"quote in name", row({"A", "0", "X:A'", "@s5", "5", "1", "1", "", "", ""}), fieldlist_error::BadName},
        {"expression", row({"A", "0", "X:A OR 1", "@s5", "5", "1", "1", "", "", ""}), fieldlist_error::BadName},
        {"keyword", row({"A", "0", "AND", "@s5", "5", "1", "1", "", "", ""}), fieldlist_error::BadName},
    };
    for (const auto& c : cases) {
        FieldsQueue q;
        std::int32_t error = 0;
        // A good row before the fault is not added either.
        TC_ADDFIELDSQUEUEDATA(q, c.error == fieldlist_error::Empty ? c.packed : kEnding + c.packed, error);
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_TRUE(q.rows.empty()) << c.what;
    }
}

} // namespace
} // namespace qv::outside
