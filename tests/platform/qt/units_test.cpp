#include "platform/qt/units.h"

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/qt/list_format.h"

namespace qv::qt {
namespace {

TEST(Fonts, ProgramFontNamesMapToDebianFonts)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Arial", "Liberation Sans"},
        {"arial", "Liberation Sans"},
        {"MS Sans Serif", "DejaVu Sans"},
        {"Small Fonts", "DejaVu Sans"},
        {"", "DejaVu Sans"},
        {"Courier New", "Liberation Mono"},
        {"Gill Sans", "Gill Sans"},
    };
    for (const auto& [from, to] : cases)
        EXPECT_EQ(mapFontFamily(from).toStdString(), to) << from;
}

TEST(DialogUnits, FollowTheFontsAverageCharacter)
{
    static int argc = 1;
    static char name[] = "qt_test";
    static char* argv[] = {name, nullptr};
    if (!qApp)
        new QApplication(argc, argv);
    const DialogUnits small(makeFont({"MS Sans Serif", 8}, defaultWindowFont()));
    const DialogUnits large(makeFont({"Arial", 14}, defaultWindowFont()));
    EXPECT_EQ(small.x(4), small.averageCharWidth());
    EXPECT_EQ(small.y(8), small.charHeight());
    EXPECT_GT(large.x(100), small.x(100));
    EXPECT_GT(large.y(100), small.y(100));
    const QRect px = small.toPixels({10, 20, 200, 100});
    const rt::Rect back = small.toUnits(px);
    EXPECT_NEAR(back.x, 10, 1);
    EXPECT_NEAR(back.width, 200, 1);
    EXPECT_NEAR(back.height, 100, 1);
    EXPECT_EQ(small.toPixels({-1, -1, -1, -1}).width(), -1);
}

TEST(ListFormat, ShowsTheColumnsOfTheFormat)
{
    const auto cols = shownColumns("150L(2)|M~Artist~@s30@80R(2)|M~Time~C(0)@t4b@#3#20C~Live~@s1@");
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_EQ(cols[0].width, 150);
    EXPECT_EQ(cols[0].header, "Artist");
    EXPECT_EQ(cols[1].picture, "@t4b");
    EXPECT_EQ(alignmentOf(cols[1].data.align()), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf(cols[1].headerJustification.align()), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf('D'), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf('L'), Qt::AlignLeft | Qt::AlignVCenter);
}

TEST(ListFormat, ColumnsWithoutHeadersGroupHeadersAndFaults)
{
    EXPECT_EQ(shownColumns("").size(), 0u);
    const auto plain = shownColumns("80L|60R");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[1].width, 60);
    EXPECT_EQ(plain[1].data.align(), 'R');
    // A group's header names the group, not its last column.
    const auto grouped = shownColumns("[40L~A~@s5@40L~B~@s5@](80)|~Both~");
    ASSERT_EQ(grouped.size(), 2u);
    EXPECT_EQ(grouped[1].header, "B");
    // A fault shows what came before it.
    const auto broken = shownColumns("40L~A~@s5@40L~B");
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(broken[0].header, "A");
}

} // namespace
} // namespace qv::qt
