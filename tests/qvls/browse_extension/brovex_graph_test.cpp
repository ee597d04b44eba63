// The arithmetic and texts of a value graph: where the bars go for a given
// area and number of categories, the category texts of months, weekdays and
// hours, and the legends over the bars.

#include "qvls/browse_extension/brovex_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qv::qvls;

TEST(BrovexGraphLayout, BarsFillTheirSlotsByTheNumberOfCategories)
{
    struct Case {
        int width, height, n;
        int barWidth, gap, x0, y0;
    };
    const Case cases[] = {
        // Up to five: bars are four fifths of an equal share of the width less 160.
        {320, 220, 2, 64, 16, 120, 170},
        {320, 220, 5, 24, 6, 120, 170},
        {1000, 700, 3, 224, 56, 140, 650},
        // Six or more: a gap of 4 ...
        {320, 220, 6, 36, 4, 74, 170},
        {1000, 700, 50, 14, 4, 84, 650},
        // ... or of 2 when the bars would be narrower than 10.
        {600, 400, 40, 11, 2, 73, 350},
        {320, 220, 20, 10, 2, 73, 170},
        {320, 220, 50, 2, 2, 93, 170},
    };
    for (const Case& c : cases) {
        const BrovexGraphLayout l = LayoutGraph(c.width, c.height, c.n);
        EXPECT_EQ(l.barWidth, c.barWidth) << c.width << "x" << c.height << " n=" << c.n;
        EXPECT_EQ(l.gap, c.gap) << c.width << "x" << c.height << " n=" << c.n;
        EXPECT_EQ(l.x0, c.x0) << c.width << "x" << c.height << " n=" << c.n;
        EXPECT_EQ(l.y0, c.y0) << c.width << "x" << c.height << " n=" << c.n;
        // The bars stand centred (less the labels' 32 on the left) and end where the axis ends.
        EXPECT_EQ(l.barX(c.n) + l.barWidth - 1, l.x0 + l.axisLength(c.n) - 2);
    }
}

TEST(BrovexGraphLayout, TheTallestBarReachesTheTopMarginAndNarrowBarsShowWholePercentages)
{
    const BrovexGraphLayout l = LayoutGraph(320, 220, 3);
    EXPECT_EQ(l.barHeight(7, 7), 170 - 30);
    EXPECT_EQ(l.barHeight(2, 7), 2 * 140 / 7);
    EXPECT_EQ(l.barHeight(1, 0), 0);
    EXPECT_FALSE(l.wholePercent());
    EXPECT_TRUE(LayoutGraph(320, 220, 20).wholePercent()); // 10 + 2
    EXPECT_EQ(GraphPercentText(333, false), "33.3");
    EXPECT_EQ(GraphPercentText(666, true), "67");
    EXPECT_EQ(GraphPercentText(45, true), "5");
}

TEST(BrovexGraphLayout, AnAreaTooSmallStillGivesEveryBarAWidth)
{
    const BrovexGraphLayout l = LayoutGraph(100, 60, 4);
    EXPECT_GE(l.barWidth, 1);
    EXPECT_GE(l.gap, 0);
}

TEST(BrovexGraphCategories, KeepTheirNamesInCharacterCodeOrder)
{
    BrovexGraphCategories q;
    for (const char* name : {"b", "B", "", "a", "b", "Z", "a", "b"})
        q.category(name).count += 1;
    std::vector<std::string> names;
    std::vector<long> counts;
    for (const BrovexGraphCategory& c : q.rows()) {
        names.push_back(c.name);
        counts.push_back(c.count);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"", "B", "Z", "a", "b"}));
    EXPECT_EQ(counts, (std::vector<long>{1, 1, 1, 2, 3}));
}

TEST(BrovexGraphCategories, CategoryFunctionsNameMonthsWeekdaysAndHourBands)
{
    struct Case {
        void (*apply)(std::string&);
        std::string in, out;
    };
    const Case hours[] = {
        {TimeBand6Hours, "00", "00:00-05:59"},
        {TimeBand6Hours, "05", "00:00-05:59"},
        {TimeBand6Hours, "06", "06:00-11:59"},
        {TimeBand6Hours, "17", "12:00-17:59"},
        {TimeBand6Hours, "23", "18:00-23:59"},
        {TimeBand6Hours, "24", "24"},
        {TimeBand6Hours, "7", "7"},
        {TimeBand6Hours, "", ""},
        {TimeBand4Hours, "00", "00:00-03:59"},
        {TimeBand4Hours, "04", "04:00-07:59"},
        {TimeBand4Hours, "11", "08:00-11:59"},
        {TimeBand4Hours, "12", "12:00-15:59"},
        {TimeBand4Hours, "19", "16:00-19:59"},
        {TimeBand4Hours, "20", "20:00-23:59"},
        {TimeBand4Hours, "23", "20:00-23:59"},
        {TimeBand4Hours, "99", "99"},
    };
    for (const Case& c : hours) {
        std::string text = c.in;
        c.apply(text);
        EXPECT_EQ(text, c.out) << "'" << c.in << "'";
    }

    struct Numbered {
        int number;
        std::string month, weekday; // "" leaves the text as it was
    };
    const Numbered numbers[] = {
        {0, "", ""},
        {1, " 1 =January", " 1 =Sunday"},
        {2, " 2 =February", " 2 =Monday"},
        {4, " 4 =April", " 4 =Wednesday"},
        {7, " 7 =July", " 7 =Saturday"},
        {8, " 8 =August", ""},
        {9, " 9 =September", ""},
        {10, "10 =October", ""},
        {12, "12 =December", ""},
        {13, "", ""},
    };
    for (const Numbered& n : numbers) {
        std::string m = "kept", d = "kept";
        MonthName(n.number, m);
        WeekdayName(n.number, d);
        EXPECT_EQ(m, n.month.empty() ? "kept" : n.month) << n.number;
        EXPECT_EQ(d, n.weekday.empty() ? "kept" : n.weekday) << n.number;
    }
}

TEST(BrovexGraphCategories, LegendsDropTheNumberOfANumberedNameAndShowANonZeroTotal)
{
    struct Case {
        std::string name;
        double total;
        std::string textSfx, legend;
    };
    const Case cases[] = {
        {"10 =October", 0, "0.00", "October "},
        {" 3 =Tuesday", 0, "", "Tuesday "},
        {"Joni Mitchell", 0, "0", "Joni Mitchell "},
        {"", 0, "", " "},
        {"a =b", 0, "", "a =b "},
        {"Rock", 12.5, "12.50  ", "Rock 12.50"},
    };
    for (const Case& c : cases) {
        BrovexGraphCategory category;
        category.name = c.name;
        category.total = c.total;
        category.textSfx = c.textSfx;
        EXPECT_EQ(GraphLegendText(category), c.legend) << c.name;
    }
}

} // namespace
