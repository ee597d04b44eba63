// The album list's columns as a user works them: a click on a header sorts
// on that column (again: the other way round), a tab drops the header sort,
// columns move and are remembered in ".\POSITION.INI", and the highlighted
// value becomes a filter.

#include "qvls/catalogue/album_list_fixture.h"

#include "platform/framework/context_menu.h"
#include <map>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/catalogue/catalogue_list.h"

namespace qv::qvls::testing {
namespace {

class AlbumListColumns : public AlbumList
{
protected:
    // The album column sorted by its header the other way from the tab's
    // own order; answers the tab's order.
    Strings sortAlbumsDescendingOnTheAlbumTab()
    {
        chooseTab(1);
        const Strings byKey = column(2);
        clickHeader(2);
        clickHeader(2);
        EXPECT_NE(column(2), byKey);
        return byKey;
    }
};

TEST_F(AlbumListColumns, TheDesignShowsItsColumnsAndKeepsTheHiddenOnesField)
{
    EXPECT_EQ(headers(), (Strings{"Artist", "Album", "Media", "File Number", "Released", "Category", "WAV/MP3"}));
    EXPECT_EQ(shownFields(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    for (const std::string& id : column(8)) // the album id rides along, unshown
        EXPECT_GT(std::stoi(id), 0);
}

TEST_F(AlbumListColumns, TheListOpensOnTheFirstRowOfItsTabsOrder)
{
    // The Album tab, though the artist order is declared first.
    EXPECT_EQ(column(2), (Strings{"aja", "Blue", "Court and Spark", "Hejira"}));
    EXPECT_EQ(box().selected(), 1);
}

TEST_F(AlbumListColumns, AHeaderClickSortsOnItsColumnAndAgainTheOtherWay)
{
    clickHeader(2);
    EXPECT_EQ(column(2), (Strings{"aja", "Blue", "Court and Spark", "Hejira"})); // case aside
    EXPECT_EQ(headers()[1], ">Album");
    clickHeader(2);
    EXPECT_EQ(column(2), (Strings{"Hejira", "Court and Spark", "Blue", "aja"}));
    EXPECT_EQ(headers()[1], "<Album");
    clickHeader(1);
    EXPECT_EQ(headers()[0], ">Artist");
    EXPECT_EQ(headers()[1], "Album");
    EXPECT_EQ(column(1), (Strings{"Joni Mitchell", "Joni Mitchell", "O'Connor", "Steely Dan"}));
}

TEST_F(AlbumListColumns, ATabDropsTheHeaderSortAndAHeaderSortKeepsTheTabsRange)
{
    chooseTab(1); // Album, in the album key's order
    const Strings byKey = column(2);
    clickHeader(1);
    EXPECT_EQ(headers()[0], ">Artist");
    chooseTab(2);
    chooseTab(1);
    EXPECT_EQ(headers()[0], "Artist");
    EXPECT_EQ(column(2), byKey);
}

TEST_F(AlbumListColumns, AHeaderDraggedPastItsNeighbourMovesTheColumnAndTheLayoutComesBack)
{
    const rt::ListHit second = hit(0, 2);
    host->dragHeader(*list, "?Browse:1", 1, second.x + 30);
    EXPECT_EQ(headers()[0], "Album");
    EXPECT_EQ(headers()[1], "Artist");
    EXPECT_EQ(shownFields()[0], 2); // the rows still show their own fields

    host->press(*list, "?Close");
    open();
    EXPECT_EQ(headers()[0], "Album");
    EXPECT_EQ(shownFields()[0], 2);

    host->key(*list, rt::key::withAlt(rt::key::F1 + 11)); // Alt+F12: the design again
    EXPECT_EQ(headers()[0], "Artist");
}

TEST_F(AlbumListColumns, ASavedLayoutTakesTheDateFormatChosenSince)
{
    const auto releasedPicture = [&] {
        for (const rt::ListFormatColumn& c : rt::readListFormat(box().format()).format.columns)
            if (c.header == "Released")
                return c.picture.value_or("");
        return std::string("none");
    };
    host->press(*list, "?Close");
    settings().DateFormat = ""; // years only
    open();
    host->dragHeader(*list, "?Browse:1", 1, hit(0, 2).x + 30); // a layout of the user's own
    host->press(*list, "?Close");
    settings().DateFormat = "d1";
    open();
    EXPECT_EQ(headers()[0], "Album");
    EXPECT_EQ(releasedPicture(), "@d1");
}

TEST_F(AlbumListColumns, TheHighlightedValueFiltersTheListUntilCancelled)
{
    clickHeader(1);
    // The fourth row is O'Connor's: its value, quote and all, is the filter.
    host->choose(*list, "?Browse:1", 3);
    ASSERT_EQ(box().selected(), 3);
    mouse(rt::ListMouse::RightDown, hit(3, 1));
    ASSERT_EQ(box().selected(), 3);
    list->post(BrovexList::kAddFilterEqual);
    host->settle();
    EXPECT_EQ(column(1), (Strings{"O'Connor"}));
    list->post(BrovexList::kCancelFilter);
    host->settle();
    EXPECT_EQ(column(1).size(), 4u);
}

// The menu of a right click on a row: for the column under the mouse.
TEST_F(AlbumListColumns, TheRightClickMenuSpeaksOfTheColumnUnderTheMouse)
{
    clickHeader(1);
    host->choose(*list, "?Browse:1", 3); // O'Connor
    mouse(rt::ListMouse::RightDown, hit(3, 1));
    host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    std::map<std::string, fw::PopupMenuWindow::Item> items;
    std::vector<std::string> submenus;
    for (std::size_t i = 0; i < menu->items().size(); ++i) {
        const auto& item = menu->items()[i];
        items[item.name] = item;
        if (menu->opensSubmenu(i))
            submenus.push_back(item.text + "@" + std::to_string(item.level));
    }
    EXPECT_EQ(submenus, (Strings{"&Output@1", "&List@1", "&Brovex@1", "&ListBox@2", "&Filter@1"}));
    EXPECT_EQ(items["ADDF1"].text, "Add Filter of (Album Artist=O'Connor)");
    EXPECT_EQ(items["ADDF2"].text, "Add Filter of (Album Artist<O'Connor)");
    EXPECT_EQ(items["SRT"].text, "Sort on Album Artist");
    EXPECT_TRUE(items["SRT"].enabled);
    EXPECT_EQ(items["ASC"].text, "Export to ASCII (BvOut.CSV)");
    // This list's mask offers moving columns and the list's font, nothing else.
    EXPECT_TRUE(items.count("MCL") && items.count("MCR") && items.count("FNT"));
    EXPECT_FALSE(items.count("WID") || items.count("FXD") || items.count("XPS") || items.count("CLR"));
    ASSERT_TRUE(menu->choose("ADDF4")); // not O'Connor
    host->settle();
    EXPECT_EQ(column(1), (Strings{"Joni Mitchell", "Joni Mitchell", "Steely Dan"}));
}

TEST_F(AlbumListColumns, AHeadersRightClickOffersTheDefaultOrderOrNone)
{
    const Strings byKey = sortAlbumsDescendingOnTheAlbumTab();
    mouse(rt::ListMouse::RightDown, hit(0, 2));
    host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
    EXPECT_EQ(host->dialog<fw::PopupMenuWindow>(), nullptr); // not the list's menu
    mouse(rt::ListMouse::RightUp, hit(0, 2));
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->choose("Default"));
    host->settle();
    EXPECT_EQ(column(2), byKey);
    EXPECT_EQ(headers()[1], "Album");
}

TEST_F(AlbumListColumns, ADoubleClickOnAColumnsEdgeFitsItAndOnARowOpensTheAlbum)
{
    const auto width = [&](int column) {
        return rt::readListFormat(box().format()).format.columns[static_cast<std::size_t>(column - 1)].width;
    };
    host->resizeColumn(*list, "?Browse:1", 3, 100);
    ASSERT_EQ(width(3), 100);
    const rt::ListHit edge = host->listPoint(*list, "?Browse:1", 0, 3, true);
    mouse(rt::ListMouse::LeftDown, edge);
    mouse(rt::ListMouse::LeftUp, edge);
    host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseLeft2});
    // "CD" at four units a character, its indent of 2 and 1.
    EXPECT_EQ(width(3), 11);
    EXPECT_EQ(host->window("UpdateAlbum"), nullptr);

    mouse(rt::ListMouse::LeftDown, hit(2, 2));
    mouse(rt::ListMouse::LeftUp, hit(2, 2));
    host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseLeft2});
    rt::Window* form = host->window("UpdateAlbum");
    ASSERT_NE(form, nullptr);
    host->press(*form, "?Cancel");
}

TEST_F(AlbumListColumns, RemovingTheSortColumnGoesBackToTheWindowsOwnOrder)
{
    const Strings byKey = sortAlbumsDescendingOnTheAlbumTab();
    mouse(rt::ListMouse::RightDown, hit(0, 2));
    list->post(BrovexList::kRemoveColumn);
    host->settle();
    EXPECT_EQ(headers().size(), 6u);
    for (const std::string& h : headers())
        EXPECT_TRUE(h.empty() || (h[0] != '>' && h[0] != '<')) << h;
    EXPECT_EQ(column(2), byKey);
}

// A list of the test's own with the narrower menu mask, a date column and a
// column the window computes.
class NarrowList : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [artist, released] :
            {std::pair{"Abba", "70000"}, std::pair{"Blur", "5000"}, std::pair{"Cher", "100000"}})
            add(dictionary::Album(),
                {{"ALB:Artist", artist}, {"ALB:Album", artist}, {"ALB:Media", "CD"}, {"ALB:ReleaseDate", released}});
        open("TestBrovexList");
    }
    void open(const char* name)
    {
        if (list)
            host->press(*list, "?Close");
        host->start(name, [name] { CatalogueList(name).Execute(); });
        list = host->window(name);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override
    {
        host->press(*list, "?Close");
        for (const char* label : {"Quorvel", "Album"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }
    rt::ListHit hit(int row, int column) const { return host->listPoint(*list, "?List", row, column); }
    void click(int row, int column, bool right = false)
    {
        host->listMouse(*list, "?List", right ? rt::ListMouse::RightDown : rt::ListMouse::LeftDown, hit(row, column));
        host->listMouse(*list, "?List", right ? rt::ListMouse::RightUp : rt::ListMouse::LeftUp, hit(row, column));
    }
    std::vector<std::string> artists() const
    {
        std::vector<std::string> out;
        const rt::ListSource* rows = (*list)["?List"].list();
        for (int r = 0; r < rows->rowCount(); ++r)
            out.emplace_back(text::trimRight(rows->cell(r, 0)));
        return out;
    }

    rt::Window* list = nullptr;
};

TEST_F(NarrowList, ADateColumnSortsByDateAndAComputedOneSaysItCannot)
{
    click(0, 2);
    EXPECT_EQ(artists(), (Strings{"Blur", "Abba", "Cher"}));
    click(0, 3);
    rt::MessageBoxWindow* box = host->messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Data cannot be ordered on column: Length(Length)");
    EXPECT_EQ(box->title(), "Re-Order Option");
    host->answer(rt::button::Ok);
    EXPECT_EQ(artists(), (Strings{"Blur", "Abba", "Cher"}));
}

TEST_F(NarrowList, TheMenuOffersOnlyWhatTheMaskAdmits)
{
    host->listMouse(*list, "?List", rt::ListMouse::RightDown, hit(1, 1));
    host->post(*list, rt::Event{rt::event::AlertKey, (*list)["?List"].number(), rt::key::MouseRight});
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    Strings brovex;
    bool inside = false;
    for (const auto& item : menu->items()) {
        if (item.level == 1)
            inside = item.name == "Brovex";
        else if (inside && !item.separator)
            brovex.push_back(item.text);
    }
    EXPECT_EQ(brovex, (Strings{"Move Left", "Move Right"}));
    menu->dismiss();
    host->settle();
}

TEST_F(NarrowList, TheFirstColumnCannotMoveLeft)
{
    host->listMouse(*list, "?List", rt::ListMouse::RightDown, hit(1, 1));
    host->post(*list, rt::Event{BrovexList::kMoveLeft, 0, 0});
    EXPECT_EQ(host->beeps().size(), 1u);
    const auto format = rt::readListFormat((*list)["?List"].format()).format;
    EXPECT_EQ(format.columns[0].header.value_or(""), "Artist");
}

TEST_F(NarrowList, TheOtherMarkStylesShowTheSortColumnAndTakeTheMarkOff)
{
    const auto underlined = [&] {
        std::vector<bool> out;
        for (const rt::ListFormatColumn& c : rt::readListFormat((*list)["?List"].format()).format.columns)
            out.push_back(c.has(rt::list_mark::Underline));
        return out;
    };
    open("TestBrovexUnderline");
    click(0, 2);
    EXPECT_EQ(underlined(), (std::vector<bool>{false, true, false}));
    click(0, 1);
    EXPECT_EQ(underlined(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(artists(), (Strings{"Abba", "Blur", "Cher"}));

    open("TestBrovexTextBar");
    click(0, 2);
    EXPECT_EQ(list->title(), "Albums by Released (Ascending)");
    click(0, 2);
    EXPECT_EQ(list->title(), "Albums by Released (Descending)");
    EXPECT_EQ(artists(), (Strings{"Cher", "Abba", "Blur"}));
}

} // namespace
} // namespace qv::qvls::testing
