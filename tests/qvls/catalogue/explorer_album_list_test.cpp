// The albums in the explorer style: the list opens in album order whatever
// it was sorted by last time, a header click sorts and turns the sort round,
// the header menu goes back to album order or to the order the albums were
// filed in, and the context menu's flap command prints the album's file
// number.

#include "qvls/catalogue/album_list_fixture.h"

#include "platform/framework/context_menu.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/album_commands.h"
#include "qvls/core/globals.h"

namespace qv::qvls::testing {
namespace {

class ExplorerAlbums : public AlbumList
{
protected:
    ExplorerAlbums()
    {
        procedure = "BrovexAlbums";
        yearsOnly = true; // the program's own setting: its Year column shows them
    }

    void headerMenu(int column, const char* choice)
    {
        mouse(rt::ListMouse::RightDown, hit(0, column));
        mouse(rt::ListMouse::RightUp, hit(0, column));
        auto* menu = host->dialog<fw::PopupMenuWindow>();
        ASSERT_TRUE(menu);
        ASSERT_TRUE(menu->choose(choice));
        host->settle();
    }
    void reopen()
    {
        host->press(*list, "?Close");
        open();
    }
};

TEST_F(ExplorerAlbums, TheListOpensInAlbumOrderWithTheYearAndTheIdHidden)
{
    EXPECT_EQ(list->title(), "Albums - 4 entries");
    EXPECT_EQ(headers(), (Strings{"Album", "Artist", "Media", "File Number", "Year"}));
    EXPECT_EQ(column(1), (Strings{"aja", "Blue", "Court and Spark", "Hejira"}));
    EXPECT_EQ(column(5), (Strings{"1977", "1971", "1974", "1976"}));
    EXPECT_TRUE((*list)["?Copy"].enabled());
    EXPECT_FALSE((*list)["?Reset"].enabled());
}

TEST_F(ExplorerAlbums, AHeaderSortsTurnsRoundAndTheHeaderMenuUndoesIt)
{
    clickHeader(2);
    EXPECT_EQ(column(2), (Strings{"Joni Mitchell", "Joni Mitchell", "O'Connor", "Steely Dan"}));
    clickHeader(5);
    EXPECT_EQ(column(5), (Strings{"1971", "1974", "1976", "1977"}));
    clickHeader(5);
    EXPECT_EQ(column(5), (Strings{"1977", "1976", "1974", "1971"}));
    EXPECT_EQ(headers()[4], "<Year");

    headerMenu(5, "Unsorted"); // the order they were filed in
    EXPECT_EQ(column(1), (Strings{"Hejira", "aja", "Blue", "Court and Spark"}));
    headerMenu(1, "Default");
    EXPECT_EQ(column(1), (Strings{"aja", "Blue", "Court and Spark", "Hejira"}));
    EXPECT_EQ(headers()[4], "Year");
}

TEST_F(ExplorerAlbums, AReopenedListKeepsItsColumnsButNotItsSort)
{
    host->dragHeader(*list, "?Browse:1", 1, hit(0, 2).x + 30); // Artist first
    clickHeader(5);
    clickHeader(5);
    reopen();
    EXPECT_EQ(headers(), (Strings{"Artist", "Album", "Media", "File Number", "Year"}));
    EXPECT_EQ(column(1), (Strings{"aja", "Blue", "Court and Spark", "Hejira"}));
}

TEST_F(ExplorerAlbums, TheQuickInsertPrintsTheFlapsOfTheAlbumsFileNumber)
{
    tables::Table& albums = dictionary::Album();
    const std::string fileNumber = [&] {
        albums.record().clear();
        albums.setOrder(-1);
        EXPECT_EQ(albums.next(), 0);
        return value(albums, "ALB:FileNumber");
    }();
    host->choose(*list, "?Browse:1", 4); // Hejira, the first filed
    list->post(AlbumCommands::kQuickCover);
    host->settle();
    const rt::MessageBoxWindow* said = host->messageBox();
    ASSERT_NE(said, nullptr);
    EXPECT_EQ(said->text(), "The album flaps is not available yet.");
    host->answer(rt::button::Ok);
    EXPECT_EQ(glo().binderPageStyle, "Flap");
    EXPECT_EQ(glo().startingFileNumber, fileNumber);
    EXPECT_EQ(glo().endingFileNumber, fileNumber);
}

TEST_F(ExplorerAlbums, AnEmptyListOffersNothingToCopy)
{
    host->press(*list, "?Close");
    tables::Table& albums = dictionary::Album();
    albums.setOrder(-1);
    while (albums.next() == 0)
        ASSERT_EQ(albums.remove(), 0);
    open();
    EXPECT_EQ(list->title(), "Albums - 0 entries");
    EXPECT_FALSE((*list)["?Copy"].enabled());
    EXPECT_FALSE((*list)["?Change"].enabled());
}

} // namespace
} // namespace qv::qvls::testing
