// A list on paper: which columns fit the page at which size, how they are
// justified, what the totals add up, and what a printout's pages show.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/framework/pictures.h"
#include "platform/report/fonts.h"
#include "platform/report/page_queue.h"
#include "qvls/browse_extension/brovex_print.h"
#include "qvls/browse_extension/brovex_progress.h"

namespace qv::qvls::testing {
namespace {

using report::Align;

std::vector<PrintFitColumn> repeated(int n, int width, bool border = true)
{
    return std::vector<PrintFitColumn>(static_cast<std::size_t>(n), PrintFitColumn{width, border});
}

TEST(ListPrintFit, ColumnsFitThePageAtTheLargestSizeTheyCan)
{
    struct Case {
        const char* what;
        std::vector<PrintFitColumn> columns;
        int minFontSize;
        int maxFontSize, fontSize;
        std::vector<PrintedColumn> printed; // column, x, width
    };
    const std::vector<Case> cases{
        {"two columns fit at 8 points and share the rest of the page", {{100, true}, {200, true}}, 6, 8, 8,
            {{0, 0, 4084}, {1, 4084, 5684}}},
        {"too wide at 8 points: 6 points, columns left out from the right", repeated(10, 80), 6, 6, 6,
            {{0, 0, 1388}, {1, 1388, 1388}, {2, 2776, 1388}, {3, 4164, 1388}, {4, 5552, 1388}, {5, 6940, 1388},
                {6, 8328, 1388}}},
        {"a smaller smallest size", repeated(10, 80), 4, 4, 4,
            {{0, 0, 1392}, {1, 1392, 1392}, {2, 2784, 1392}, {3, 4176, 1392}, {4, 5568, 1392}, {5, 6960, 1392},
                {6, 8352, 1392}}},
        {"a column wider than the page stays, clipped to it", {{2000, false}}, 6, 6, 4, {{0, 0, 9800}}},
        {"a first column wider than the page leaves out the others", {{2000, true}, {50, true}, {50, true}}, 6, 6, 4,
            {{0, 0, 9792}}},
        {"an empty column the page has no room for is left out", {{618, false}, {0, false}}, 6, 8, 6, {{0, 0, 9800}}},
        {"widths past 255 units count whole", {{300, false}, {300, false}}, 6, 8, 8, {{0, 0, 4900}, {1, 4900, 4900}}},
        {"empty columns share the page", {{0, false}, {0, false}}, 6, 8, 8, {{0, 0, 4900}, {1, 4900, 4900}}},
        {"no columns print nothing", {}, 6, 8, 8, {}},
    };
    for (const Case& c : cases) {
        const PrintFit fit = fitPrintColumns(c.columns, c.minFontSize);
        EXPECT_EQ(fit.maxFontSize, c.maxFontSize) << c.what;
        EXPECT_EQ(fit.fontSize, c.fontSize) << c.what;
        ASSERT_EQ(fit.printed.size(), c.printed.size()) << c.what;
        for (std::size_t i = 0; i < c.printed.size(); ++i) {
            EXPECT_EQ(fit.printed[i].column, c.printed[i].column) << c.what << " #" << i;
            EXPECT_EQ(fit.printed[i].x, c.printed[i].x) << c.what << " #" << i;
            EXPECT_EQ(fit.printed[i].width, c.printed[i].width) << c.what << " #" << i;
        }
        for (const PrintedColumn& p : fit.printed)
            EXPECT_LE(p.x + p.width, kListPrintWidth) << c.what << ": nothing past the page";
    }
}

TEST(ListPrintFit, DataAndHeadersAreJustifiedAsTheListShowsThem)
{
    struct Case {
        char just;
        Align data, header;
    };
    const Case cases[] = {
        {'L', Align::Left, Align::Left},
        {'C', Align::Center, Align::Center},
        {'R', Align::Right, Align::Right},
        {'D', Align::Right, Align::Right}, // a decimal column's header stands over its figures
        {' ', Align::Left, Align::Left},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printDataAlign(c.just), c.data) << c.just;
        EXPECT_EQ(printHeaderAlign(c.just), c.header) << c.just;
    }
}

TEST(ListPrintFit, TheListsScreenFacePrintsInItsOutlineTwin)
{
    EXPECT_EQ(listPrintFace("MS Sans Serif"), "Arial");
    EXPECT_EQ(listPrintFace(""), "Arial");
    EXPECT_EQ(listPrintFace("Courier New"), "Courier New");
}

TEST(ListPrintTotals, PrintedValuesAreReadBackThroughTheirPicture)
{
    PrintTotal total("@n10.2");
    EXPECT_TRUE(total.empty());
    for (const char* printed : {"1,234.50", "10.25", "-0.75"})
        total.add(printed);
    EXPECT_FALSE(total.empty());
    EXPECT_EQ(total.text(), "1,244.00");

    PrintTotal large("@n13");
    large.add("2,000,000,000");
    large.add("2,000,000,000");
    EXPECT_EQ(large.text(), "4,000,000,000") << "sums past 32 bits stay whole";
}

TEST(ListPrintProgress, PercentStaysInRangeWhateverTheCount)
{
    struct Case {
        long done, total;
        int percent;
    };
    const Case cases[] = {{0, 10, 0}, {5, 10, 50}, {10, 10, 100}, {12, 10, 100}, {3, 0, 0}, {3, -1, 0}, {1, 3, 33},
        {30'000'000, 40'000'000, 75}};
    for (const Case& c : cases)
        EXPECT_EQ(BrovexProgress::percent(c.done, c.total), c.percent) << c.done << " of " << c.total;
}

class ListPrintoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        report::ensureFontSystem();
        fw::installPictures();
    }

    static BrovexColumn column(int qnos, std::string header, std::string picture, char just, bool total = false)
    {
        BrovexColumn c;
        c.qnos = qnos;
        c.header = std::move(header);
        c.picture = std::move(picture);
        c.fJust = c.hJust = just;
        c.totalOk = total;
        c.maxWidth = 60;
        return c;
    }
    ListPrintSetup setup() const
    {
        ListPrintSetup s;
        s.title = "Albums";
        s.line1 = "My collection";
        s.order = "+UPPER(ALB:Artist)";
        s.filter = "ALB:Media = 'CD'";
        s.fontName = "Arial";
        s.columns = {column(2, "Album", "@s30", 'L'), column(1, "Value", "@n10.2", 'D', true)};
        return s;
    }
    // The text steps of a page, by their text.
    static const report::DrawStep* find(const report::Page& page, std::string_view text)
    {
        for (const report::DrawStep& s : page.steps)
            if (s.kind == report::DrawStep::Kind::Text && s.text == text)
                return &s;
        return nullptr;
    }
};

TEST_F(ListPrintoutTest, APageShowsWhatWasPrintedTheRowsAndTheirTotals)
{
    report::PageQueue pages;
    ListPrintout out(setup(), pages);
    for (const auto& row : std::vector<std::vector<std::string>>{{"1234.5", "Hejira"}, {"10", "aja"}}) {
        out.setRecordsText(out.rowsPrinted() + 1);
        out.printRow(row);
    }
    out.printTotals();
    out.close();
    ASSERT_EQ(pages.size(), 1u);
    const report::Page page = pages.page(0);

    for (const char* shown : {"Albums", "My collection", "Report Date", "Page", "Font:", "Arial 8 Point", "1 Records",
             "Order:", "+UPPER(ALB:Artist)", "Filter:", "ALB:Media = 'CD'", "Album", "Hejira", "aja"})
        EXPECT_NE(find(page, shown), nullptr) << shown;
    const report::DrawStep* header = find(page, "Value");
    const report::DrawStep* value = find(page, "1,234.50");
    const report::DrawStep* total = find(page, "1,244.50");
    ASSERT_TRUE(header && value && total);
    EXPECT_EQ(header->align, Align::Right) << "a decimal column's header";
    EXPECT_EQ(value->align, Align::Right);
    EXPECT_EQ(total->align, Align::Right);
    EXPECT_GT(total->y, find(page, "10.00")->y) << "the totals follow the rows";
    EXPECT_EQ(find(page, "Hejira")->align, Align::Left);

    for (const report::DrawStep& s : page.steps)
        if (s.kind == report::DrawStep::Kind::Text) {
            EXPECT_EQ(page.fonts[s.font].size, 8) << s.text;
            EXPECT_EQ(page.fonts[s.font].face, "Arial") << s.text;
            EXPECT_EQ(page.fonts[s.font].bold, s.text == "Albums") << s.text << ": only the title is bold";
        }
    EXPECT_EQ(std::count_if(page.steps.begin(), page.steps.end(),
                  [](const report::DrawStep& s) { return s.kind == report::DrawStep::Kind::Line; }),
        1)
        << "a line after every bordered column but the last";
}

TEST_F(ListPrintoutTest, WithoutRowsThereIsNoPageAndNoTotals)
{
    report::PageQueue pages;
    ListPrintout out(setup(), pages);
    out.printTotals();
    out.close();
    EXPECT_TRUE(pages.empty());
}

TEST_F(ListPrintoutTest, LongValuesAreCutAtACharacterNotAByte)
{
    ListPrintSetup s = setup();
    s.columns = {column(1, "Title", "@s400", 'L')};
    report::PageQueue pages;
    ListPrintout out(s, pages);
    std::string title;
    for (int i = 0; i < 300; ++i)
        title += "\xC3\xA9"; // é
    out.printRow({title});
    out.close();
    const report::Page page = pages.page(0);
    const auto row = std::find_if(
        page.steps.begin(), page.steps.end(), [](const report::DrawStep& d) { return d.text.starts_with("\xC3\xA9"); });
    ASSERT_NE(row, page.steps.end());
    EXPECT_EQ(row->text.size(), 255u * 2) << "255 whole characters";
}

} // namespace
} // namespace qv::qvls::testing
