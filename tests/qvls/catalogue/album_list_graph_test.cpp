// The album list's graph: the list's right-click menu counts every album by
// the value of the column under the mouse and shows the counts as bars; the
// graph's preferences (colour order, legend font) are kept in the list's INI
// file and apply to a shown graph at once.

#include "qvls/catalogue/album_list_fixture.h"

#include <optional>
#include <stdexcept>

#include "platform/framework/context_menu.h"
#include "platform/framework/ini_store.h"
#include "platform/runtime/clipboard.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_box.h"
#include "platform/text/case.h"
#include "qvls/browse_extension/brovex_list.h"

namespace qv::qvls::testing {
namespace {

// The shown columns of the album list the tests graph on.
constexpr int kArtist = 1, kAlbum = 2, kMedia = 3, kCategory = 6;
// The colours of the default order.
constexpr long kMaroon = 128, kOlive = 32896, kNavy = 8388608;

class AlbumListGraph : public AlbumList
{
protected:
    void TearDown() override
    {
        while (rt::Window* w = host->window("BrovexPreferences"))
            host->press(*w, "?OK");
        while (rt::Window* w = host->window("BrovexGraph"))
            host->press(*w, "?OK");
        AlbumList::TearDown();
    }

    fw::PopupMenuWindow& menuOn(int column)
    {
        mouse(rt::ListMouse::RightDown, hit(1, column));
        host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
        auto* menu = host->dialog<fw::PopupMenuWindow>();
        if (!menu)
            throw std::logic_error("no menu");
        return *menu;
    }
    // "Graph on ..." of the column's menu; the graph window, if one opened.
    rt::Window* graphOn(int column)
    {
        if (!menuOn(column).choose("GBR"))
            throw std::logic_error("Graph on is not choosable");
        host->settle();
        return host->window("BrovexGraph");
    }
    // The message the graph ended with, answered.
    std::string message()
    {
        rt::MessageBoxWindow* box = host->messageBox();
        if (!box)
            return "<no message>";
        std::string text = box->text();
        host->answer(rt::button::Ok);
        return text;
    }
    // Albums of as many new artists, "Artist 100" on, and the list opened again.
    void addArtists(int count)
    {
        host->press(*list, "?Close");
        list = nullptr;
        for (int i = 0; i < count; ++i, ++added_)
            add(dictionary::Album(),
                {{"ALB:Album", "Album " + std::to_string(added_)},
                    {"ALB:Artist", "Artist " + std::to_string(100 + added_)}, {"ALB:Media", "CD"}});
        open();
    }
    int added_ = 0;
    static std::string text(rt::Window& w, int control)
    {
        return w.control(control) ? w.control(control)->text() : "-";
    }
    static std::string fill(rt::Window& w, int control)
    {
        return w.control(control) ? w.control(control)->property(rt::prop::Fill) : "-";
    }
    static std::string ini(std::string_view key)
    {
        return fw::IniStore(".\\POSITION.INI").Fetch("BrovexPreferences", key, "<missing>");
    }
    std::vector<std::string> colorNames(rt::Window& prefs) const
    {
        std::vector<std::string> out;
        const rt::ListSource* rows = prefs["?ColorList"].list();
        for (int r = 0; r < rows->rowCount(); ++r)
            out.push_back(rows->cell(r, 0));
        return out;
    }
};

TEST_F(AlbumListGraph, CountsEveryAlbumByTheShownValueInNameOrder)
{
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    EXPECT_TRUE(graph->maximized());
    EXPECT_EQ(graph->def().title, "Graph");
    EXPECT_EQ((*graph)["?Heading1"].text(), "3 Categories of Field: Album Artist");
    EXPECT_EQ((*graph)["?Heading2"].text(), "Filter: ");
    EXPECT_EQ(text(*graph, 99), "Count");
    EXPECT_EQ(text(*graph, 199), "Percent");
    const Strings legends{text(*graph, 301), text(*graph, 302), text(*graph, 303)};
    EXPECT_EQ(legends, (Strings{"Joni Mitchell ", "O'Connor ", "Steely Dan "}));
    EXPECT_EQ((Strings{text(*graph, 101), text(*graph, 102), text(*graph, 103)}), (Strings{"2", "1", "1"}));
    EXPECT_EQ((Strings{text(*graph, 201), text(*graph, 202), text(*graph, 203)}), (Strings{"50.0", "25.0", "25.0"}));
    EXPECT_EQ(graph->control(104), nullptr);
    // Three bars on 320 x 220: slots of 53, bars of 40 with gaps of 10 from
    // x 122; the tallest reaches from the foot at 170 to the top margin.
    const rt::Rect tallest = graph->control(401)->geometry();
    EXPECT_EQ(tallest.x, 122);
    EXPECT_EQ(tallest.width, 40);
    EXPECT_EQ(tallest.y, 170 - 140 + 2);
    EXPECT_EQ(tallest.height, 140);
    EXPECT_EQ(graph->control(402)->geometry().x, 172);
    EXPECT_EQ(graph->control(402)->geometry().height, 70);
    EXPECT_EQ(graph->control(301)->font().size, 12) << "the graph's legend font without preferences";
    EXPECT_EQ(graph->control(301)->property(rt::prop::Angle), "90");
    EXPECT_EQ((Strings{fill(*graph, 401), fill(*graph, 402), fill(*graph, 403)}),
        (Strings{std::to_string(kMaroon), std::to_string(kOlive), std::to_string(kNavy)}));

    host->press(*graph, "?OK");
    EXPECT_EQ(host->window("BrovexGraph"), nullptr);
    // The list goes on as before.
    EXPECT_EQ(box().list()->rowCount(), 4);
}

TEST_F(AlbumListGraph, CountsOnlyWhatTheListFilterLetsThrough)
{
    ASSERT_TRUE(menuOn(kCategory).choose("ADDF1")); // the first row's category
    host->settle();
    const std::string category = column(6).at(0);
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    EXPECT_EQ((*graph)["?Heading1"].text(), "2 Categories of Field: Album Artist");
    const std::string heading = (*graph)["?Heading2"].text();
    EXPECT_TRUE(heading.starts_with("Filter: ")) << heading;
    EXPECT_NE(text::upper(heading).find(text::upper(category)), std::string::npos) << heading;
}

TEST_F(AlbumListGraph, FewerThanTwoCategoriesOrMoreThanFiftyEndWithAMessage)
{
    EXPECT_FALSE(graphOn(kMedia));
    EXPECT_EQ(message(), "There is only one category to Graph of 'Media (Album)'");

    // Three artists and 47 more: 50 bars, narrow enough for whole percentages.
    addArtists(47);
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    EXPECT_EQ((*graph)["?Heading1"].text(), "50 Categories of Field: Album Artist");
    EXPECT_EQ(text(*graph, 301), "Artist 100 ");
    EXPECT_EQ(text(*graph, 201), "2"); // one of 51 albums: 2.0%
    EXPECT_EQ(text(*graph, 348), "Joni Mitchell ");
    EXPECT_EQ(text(*graph, 248), "4"); // two: 3.9%
    host->press(*graph, "?OK");

    addArtists(1);
    EXPECT_FALSE(graphOn(kArtist));
    EXPECT_EQ(message(), "Too complex to graph - exceeds max number of categories: 50 - 'Album Artist");
}

TEST_F(AlbumListGraph, AViewWithoutRecordsHasNoCategories)
{
    ASSERT_TRUE(menuOn(kArtist).choose("USERF"));
    host->settle();
    rt::Window* filter = host->window("BrovexFilter");
    ASSERT_TRUE(filter);
    host->enter(*filter, "?Value", "Nobody");
    host->press(*filter, "?Search");
    ASSERT_EQ(box().list()->rowCount(), 0);
    // The column's menu from the keyboard: column selection on, the host
    // reporting the column the arrows went to.
    host->key(*list, rt::key::withAlt('R'));
    box().userProperty(rt::list_prop::CurrentColumn, std::to_string(kArtist));
    host->key(*list, rt::key::withAlt('M'));
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->choose("GBR"));
    host->settle();
    EXPECT_EQ(host->window("BrovexGraph"), nullptr);
    EXPECT_EQ(message(), "There are no categories to Graph of 'Album Artist'");
}

TEST_F(AlbumListGraph, PreferencesKeepTheColourOrderAndFontAndRedrawWithoutNewLayout)
{
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    const rt::Rect before = graph->control(402)->geometry();
    // The window is shown larger meanwhile; nothing is laid out until it says so.
    graph->userArea(640, 440);

    host->press(*graph, "?Preferences");
    rt::Window* prefs = host->window("BrovexPreferences");
    ASSERT_TRUE(prefs);
    EXPECT_EQ(colorNames(*prefs),
        (Strings{"Maroon", "Olive", "Navy", "Silver", "Purple", "Green", "Teal", "Gray", "Red", "Yellow", "Blue",
            "Lime", "Fuschia", "Aqua", "White", "Black"}));
    EXPECT_EQ((*prefs)["?FontSample"].text(), "Arial8 pt Bold");
    EXPECT_EQ((*prefs)["?ColorList"].list()->cell(15, 2), "16777215") << "Black's text is white";
    // The swatch column shows each row on its colour.
    const rt::ListFormatReading format = rt::readListFormat((*prefs)["?ColorList"].format());
    ASSERT_FALSE(format.error);
    EXPECT_EQ(rt::queueFields(format.format), (std::vector<int>{0, 1}));
    EXPECT_EQ(rt::extraFields(format.format.columns.at(1)), 4);

    // The first row cannot go up, nor the last down.
    const std::size_t beeps = host->beeps().size();
    host->press(*prefs, "?MoveUp");
    host->choose(*prefs, "?ColorList", 16);
    host->press(*prefs, "?MoveDown");
    EXPECT_EQ(host->beeps().size(), beeps + 2);
    host->choose(*prefs, "?ColorList", 2);
    host->press(*prefs, "?MoveUp");
    EXPECT_EQ((*prefs)["?ColorList"].selected(), 1);
    host->choose(*prefs, "?Sheet", 2);
    host->press(*prefs, "?ChangeFont");
    auto* dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->request().size, 8);
    EXPECT_EQ(dialog->title(), "Select font for vertical legend on graphs");
    dialog->answer(rt::FontSpec{"DejaVu Serif", 10, 255, false, false});
    host->settle();
    EXPECT_EQ((*prefs)["?FontSample"].text(), "DejaVu Serif10 pt Regular");
    host->press(*prefs, "?OK");

    EXPECT_EQ(ini("Col01"), "Olive");
    EXPECT_EQ(ini("Col02"), "Maroon");
    EXPECT_EQ(ini("Col16"), "Black");
    EXPECT_EQ(ini("FontName"), "DejaVu Serif");
    EXPECT_EQ(ini("FontSize"), "10");
    EXPECT_EQ(ini("FontColor"), "255");
    EXPECT_EQ(ini("FontStyle"), "400");
    // The graph shows the new colours and font where its bars stood.
    EXPECT_EQ(fill(*graph, 401), std::to_string(kOlive));
    EXPECT_EQ(fill(*graph, 402), std::to_string(kMaroon));
    EXPECT_EQ(graph->control(402)->geometry().x, before.x);
    EXPECT_EQ(graph->control(402)->geometry().height, before.height);
    EXPECT_EQ(graph->control(102)->font().name, "DejaVu Serif");
    EXPECT_EQ(graph->control(302)->font().size, 10);
    EXPECT_EQ(text(*graph, 202), "25.0");

    // Told of its new size, the graph lays its bars out again.
    host->post(*graph, rt::Event{rt::event::Sized});
    EXPECT_NE(graph->control(402)->geometry().x, before.x);
    EXPECT_EQ(graph->control(401)->geometry().height, 440 - 50 - 30);
}

TEST_F(AlbumListGraph, ClosingPreferencesWithoutOkKeepsTheOrderButResetWritesTheDefaults)
{
    {
        fw::IniStore store(".\\POSITION.INI");
        store.Update("BrovexPreferences", "Col01", "Navy");
        store.Update("BrovexPreferences", "Col02", "Puce");
        store.Update("BrovexPreferences", "Col03", "Maroon");
    }
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    // A colour the table does not know draws black bars.
    EXPECT_EQ(fill(*graph, 402), "0");

    host->press(*graph, "?Preferences");
    rt::Window* prefs = host->window("BrovexPreferences");
    ASSERT_TRUE(prefs);
    // The unknown name shows on the colour of the row above it.
    EXPECT_EQ((*prefs)["?ColorList"].list()->cell(1, 3), std::to_string(kNavy));
    host->choose(*prefs, "?ColorList", 3);
    host->press(*prefs, "?MoveUp");
    host->post(*prefs, rt::Event{rt::event::CloseWindow});
    ASSERT_EQ(host->window("BrovexPreferences"), nullptr);
    EXPECT_EQ(ini("Col02"), "Puce");
    EXPECT_EQ(ini("Col03"), "Maroon");
    EXPECT_EQ(ini("FontSize"), "8") << "every key is written";

    host->press(*graph, "?Preferences");
    prefs = host->window("BrovexPreferences");
    ASSERT_TRUE(prefs);
    host->press(*prefs, "?Reset");
    EXPECT_EQ(colorNames(*prefs).at(1), "Olive");
    host->post(*prefs, rt::Event{rt::event::CloseWindow});
    EXPECT_EQ(ini("Col01"), "Maroon");
    EXPECT_EQ(ini("Col02"), "Olive");
    EXPECT_EQ(fill(*graph, 402), std::to_string(kOlive));
}

TEST_F(AlbumListGraph, ToClipboardPutsAPictureOfTheGraphWithoutItsButtons)
{
    rt::clipboard().setText("before");
    rt::Window* graph = graphOn(kArtist);
    ASSERT_TRUE(graph) << message();
    host->press(*graph, "?ToClipboard");
    const std::optional<rt::ClipboardPicture> picture = rt::clipboard().picture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->window, "BrovexGraph");
    EXPECT_EQ(picture->width, graph->area().width);
    EXPECT_EQ(picture->height, graph->area().height);
    EXPECT_EQ(rt::clipboard().text(), "");
    EXPECT_TRUE((*graph)["?OK"].hidden());
    EXPECT_TRUE((*graph)["?ToClipboard"].hidden());
    host->advance(1000);
    EXPECT_FALSE((*graph)["?OK"].hidden());
    EXPECT_FALSE((*graph)["?Preferences"].hidden());
    EXPECT_EQ(graph->focus(), &(*graph)["?OK"]);
    EXPECT_EQ(graph->timer(), 0);
}

} // namespace
} // namespace qv::qvls::testing
