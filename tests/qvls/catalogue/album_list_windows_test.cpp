// The album list's small windows: a number of a column or of the list, a
// header text, a column's colours and a typed filter, each showing its
// change on the list at once; and the list's font.

#include <algorithm>
#include <array>
#include <functional>

#include "qvls/catalogue/album_list_fixture.h"

#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "qvls/browse_extension/brovex_list.h"

namespace qv::qvls::testing {
namespace {

class AlbumListWindows : public AlbumList
{
protected:
    // A right press on a row of a column makes it the column the windows are about.
    void pressColumn(int column, int row = 1) { mouse(rt::ListMouse::RightDown, hit(row, column)); }
    rt::Window* openFromList(int event, std::string_view window)
    {
        list->post(event);
        host->settle();
        return host->window(window);
    }
    rt::ListFormatColumn formatColumn(int seq) const
    {
        return rt::readListFormat(box().format()).format.columns.at(static_cast<std::size_t>(seq - 1));
    }
    // Spinning the number field to a value, as the host reports each step.
    void spin(rt::Window& w, const std::string& value)
    {
        host->type(w, "?Value", value);
        host->post(w, {rt::event::NewSelection, w["?Value"].number()});
    }
    void escape(rt::Window& w) { host->post(w, {rt::event::CloseWindow}); }
    Strings albums() const
    {
        Strings shown = column(2);
        std::sort(shown.begin(), shown.end());
        return shown;
    }
};

// The colours in the order the drop lists offer them.
const std::pair<const char*, long> kColorTable[]
    = {{"None", -1}, {"Black", 0}, {"Maroon", 128}, {"Green", 32768}, {"Olive", 32896}, {"Navy", 8388608},
        {"Purple", 8388736}, {"Teal", 8421376}, {"Gray", 8421504}, {"Silver", 12632256}, {"Red", 255}, {"Lime", 65280},
        {"Yellow", 65535}, {"Blue", 16711680}, {"Fuschia", 16711935}, {"Aqua", 16776960}, {"White", 16777215}};

using Colors = std::array<long, 4>;
constexpr Colors kNoColors = {-1, -1, -1, -1};

TEST_F(AlbumListWindows, SpinningTheWidthResizesTheColumnAtOnceAndTheLastValueStays)
{
    pressColumn(2);
    rt::Window* w = openFromList(BrovexList::kColumnWidth, "BrovexAttribute");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Album");
    EXPECT_EQ((*w)["?ValuePrompt"].text(), "Width:");
    EXPECT_EQ(text::trim((*w)["?Value"].value()), "95");
    EXPECT_EQ((*w)["?Value"].font().name, list->def().font.name);
    spin(*w, "120");
    EXPECT_EQ(formatColumn(2).width, 120);
    spin(*w, "60");
    EXPECT_EQ(formatColumn(2).width, 60);
    escape(*w);
    host->settle();
    EXPECT_FALSE(host->window("BrovexAttribute"));
    EXPECT_EQ(formatColumn(2).width, 60);
    EXPECT_EQ(formatColumn(1).width, 91);
}

TEST_F(AlbumListWindows, TheWindowOpensWhereTheMousePressed)
{
    int left = 0;
    for (const int column : {1, 3}) {
        pressColumn(column);
        rt::Window* w = openFromList(BrovexList::kColumnWidth, "BrovexAttribute");
        ASSERT_TRUE(w);
        EXPECT_GT(w->geometry().x, left) << column;
        left = w->geometry().x;
        host->press(*w, "?OK");
    }
}

TEST_F(AlbumListWindows, AnOffsetAppliesTheJustificationAgainWithIt)
{
    pressColumn(1);
    rt::Window* w = openFromList(BrovexList::kHeaderOffset, "BrovexAttribute");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?ValuePrompt"].text(), "Header offset:");
    EXPECT_EQ(text::trim((*w)["?Value"].value()), "1");
    spin(*w, "6");
    EXPECT_EQ(formatColumn(1).headerJustification.align(), 'L');
    EXPECT_EQ(formatColumn(1).headerJustification.offset, 6);
    host->press(*w, "?OK");

    w = openFromList(BrovexList::kDataOffset, "BrovexAttribute");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?ValuePrompt"].text(), "Data offset:");
    host->enter(*w, "?Value", "4");
    EXPECT_EQ(formatColumn(1).data.offset, 4);
    EXPECT_EQ(formatColumn(1).headerJustification.offset, 6);
    host->press(*w, "?OK");

    w = openFromList(BrovexList::kDataOffset, "BrovexAttribute");
    ASSERT_TRUE(w);
    EXPECT_EQ(text::trim((*w)["?Value"].value()), "4") << "the column keeps its offset";
    host->press(*w, "?OK");
}

TEST_F(AlbumListWindows, TheListsOwnNumbersChangeAsTheyAreTyped)
{
    struct Case {
        int event;
        const char* title;
        std::function<int(const rt::Control&)> applied;
    };
    const Case cases[] = {
        {BrovexList::kListX, "X Pos", [](const rt::Control& c) { return c.geometry().x; }},
        {BrovexList::kListY, "Y Pos", [](const rt::Control& c) { return c.geometry().y; }},
        {BrovexList::kListWidth, "Width", [](const rt::Control& c) { return c.geometry().width; }},
        {BrovexList::kListHeight, "Height", [](const rt::Control& c) { return c.geometry().height; }},
        {BrovexList::kLineHeight, "Line Height",
            [](const rt::Control& c) { return std::atoi(c.property(rt::list_prop::LineHeight).c_str()); }},
    };
    for (const Case& c : cases) {
        rt::Window* w = openFromList(c.event, "BrovexAttribute");
        ASSERT_TRUE(w) << c.title;
        EXPECT_EQ(w->title(), c.title);
        EXPECT_EQ((*w)["?ValuePrompt"].text(), std::string(c.title) + ":");
        EXPECT_EQ(text::trim((*w)["?Value"].value()), std::to_string(c.applied(box()))) << c.title;
        spin(*w, "77");
        EXPECT_EQ(c.applied(box()), 77) << c.title;
        host->press(*w, "?OK");
    }
}

TEST_F(AlbumListWindows, AHeaderTextIsCutTo25AndTheTitleTo20)
{
    pressColumn(6);
    rt::Window* w = openFromList(BrovexList::kHeaderText, "BrovexHeaderText");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Header Text: Categor");
    EXPECT_EQ((*w)["?Text"].value(), "Category");
    host->enter(*w, "?Text", "A category of very many words");
    EXPECT_EQ(headers()[5], "A category of very many w");
    host->press(*w, "?OK");
    EXPECT_FALSE(host->window("BrovexHeaderText"));

    w = openFromList(BrovexList::kHeaderText, "BrovexHeaderText");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?Text"].value(), "A category of very many w") << "the column keeps its header";
    host->press(*w, "?OK");
}

TEST_F(AlbumListWindows, ColorsShowAsTheyAreChosenAndResetGivesTheListsOwn)
{
    pressColumn(2);
    rt::Window* w = openFromList(BrovexList::kColumnColors, "BrovexColumnColors");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Colors for Column: Album Title");
    EXPECT_EQ((*w)["?NormalText"].value(), "None");
    Strings offered;
    for (const auto& [name, value] : kColorTable)
        offered.emplace_back(name);
    for (const char* drop : {"?NormalBackground", "?SelectedBackground", "?NormalText", "?SelectedText"})
        EXPECT_EQ((*w)[drop].fixedChoiceValues(), offered) << drop;
    host->choose(*w, "?NormalText", 11); // Red
    EXPECT_EQ(formatColumn(2).colours.value_or(kNoColors), (Colors{255, -1, -1, -1}));
    host->choose(*w, "?SelectedBackground", 15); // Fuschia
    EXPECT_EQ(formatColumn(2).colours.value_or(kNoColors), (Colors{255, -1, -1, 16711935}));
    host->press(*w, "?OK");

    w = openFromList(BrovexList::kColumnColors, "BrovexColumnColors");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?NormalText"].value(), "Red");
    EXPECT_EQ((*w)["?SelectedBackground"].value(), "Fuschia");
    host->press(*w, "?Reset");
    EXPECT_EQ(formatColumn(2).colours.value_or(kNoColors), kNoColors);
    for (const char* drop : {"?NormalBackground", "?SelectedBackground", "?NormalText", "?SelectedText"})
        EXPECT_EQ((*w)[drop].value(), "None") << drop;
    host->press(*w, "?OK");
    EXPECT_FALSE(host->window("BrovexColumnColors"));
}

TEST(ColumnColorNames, EveryNameAndValueMapBothWaysInTheDropListsOrder)
{
    int position = 0;
    for (const auto& [name, value] : kColorTable) {
        ++position;
        long v = 12345;
        BrovexList::ColorFromName(name, v);
        EXPECT_EQ(v, value) << name;
        std::string n;
        int p = 0;
        BrovexList::ColorName(value, n, p);
        EXPECT_EQ(n, name);
        EXPECT_EQ(p, position) << name;
    }

    long kept = 12345;
    BrovexList::ColorFromName("Fuchsia", kept);
    EXPECT_EQ(kept, 12345);
    std::string name = "kept";
    int place = 9;
    BrovexList::ColorName(12345, name, place);
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(place, 9);
}

TEST_F(AlbumListWindows, TheFilterWindowFiltersByEachOperatorWhateverTheValueHolds)
{
    struct Case {
        int column;
        const char* symbol;
        const char* value;
        Strings albums;
    };
    const Case cases[] = {
        {1, "EQ", "joni mitchell", {"Blue", "Hejira"}}, // case aside
        {1, "NE", "Joni Mitchell", {"Court and Spark", "aja"}},
        {1, "CT", "'conn", {"Court and Spark"}}, // a quote is a character like any other
        {2, "LT", "c", {"Blue", "aja"}},
        {2, "GE", "Hejira", {"Hejira"}},
        {2, "GT", "Hejira", {}},
        {5, "GT", "01/01/1975", {"Hejira", "aja"}}, // a date typed as text compares as a date
        {5, "LE", "06/01/1974", {"Blue", "Court and Spark"}},
        {1, "CT", "%", {}},
        {2, "EQ", "_", {}},
        {2, "CT", "' OR 1=1 OR '", {}},
        {2, "EQ", "AND", {}},
    };
    for (const Case& c : cases) {
        pressColumn(c.column);
        rt::Window* w = openFromList(BrovexList::kUserFilter, "BrovexFilter");
        ASSERT_TRUE(w) << c.value;
        host->enter(*w, "?Symbol", c.symbol);
        host->type(*w, "?Value", c.value);
        host->press(*w, "?Search");
        EXPECT_FALSE(host->window("BrovexFilter"));
        EXPECT_EQ(albums(), c.albums) << c.column << " " << c.symbol << " " << c.value;
        list->post(BrovexList::kCancelFilter);
        host->settle();
        ASSERT_EQ(albums().size(), 4u);
    }
}

TEST_F(AlbumListWindows, TheFilterWindowKeepsItsChoiceAndEscSetsNothing)
{
    pressColumn(2);
    rt::Window* w = openFromList(BrovexList::kUserFilter, "BrovexFilter");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Album Title");
    host->enter(*w, "?Symbol", "CT");
    host->type(*w, "?Value", "a");
    host->press(*w, "?Search");
    EXPECT_EQ(albums(), (Strings{"Court and Spark", "Hejira", "aja"}));

    w = openFromList(BrovexList::kUserFilter, "BrovexFilter");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?Symbol"].value(), "CT");
    EXPECT_EQ((*w)["?Value"].value(), "a");
    host->enter(*w, "?Symbol", "EQ");
    host->type(*w, "?Value", "Blue");
    escape(*w);
    host->settle();
    EXPECT_FALSE(host->window("BrovexFilter"));
    EXPECT_EQ(albums(), (Strings{"Court and Spark", "Hejira", "aja"})) << "Esc leaves the filter as it was";

    w = openFromList(BrovexList::kUserFilter, "BrovexFilter");
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?Value"].value(), "") << "Esc empties the value";
    host->press(*w, "?Search"); // nothing typed: nothing set
    EXPECT_EQ(albums(), (Strings{"Court and Spark", "Hejira", "aja"}));
}

TEST_F(AlbumListWindows, TheFontCommandGivesTheListTheChosenFont)
{
    host->key(*list, rt::key::withAlt(rt::key::F1 + 11)); // the design again: the working settings take its font
    const rt::FontDef designed = box().font();
    list->post(BrovexList::kListFont);
    host->settle();
    auto* dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->request().name, designed.name);
    EXPECT_EQ(dialog->request().size, designed.size);
    dialog->answer(std::nullopt);
    host->settle();
    EXPECT_EQ(box().font().name, designed.name);

    list->post(BrovexList::kListFont);
    host->settle();
    dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    dialog->answer(rt::FontSpec{"DejaVu Serif", 12, 255, true, false});
    host->settle();
    EXPECT_EQ(box().font().name, "DejaVu Serif");
    EXPECT_EQ(box().font().size, 12);
    EXPECT_EQ(box().font().color, 255);
    EXPECT_TRUE(box().font().bold);
    EXPECT_FALSE(box().font().italic);
}

TEST_F(AlbumListWindows, TheFontCommandStartsFromTheListsOwnFont)
{
    list->post(BrovexList::kListFont);
    host->settle();
    auto* dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->request().name, box().font().name);
    EXPECT_EQ(dialog->request().bold, box().font().bold);
    EXPECT_EQ(dialog->request().italic, box().font().italic);
    dialog->answer(std::nullopt);
    host->settle();
}

} // namespace
} // namespace qv::qvls::testing
