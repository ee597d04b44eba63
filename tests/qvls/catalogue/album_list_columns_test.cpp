// The album list's columns as a user works them: a click on a header sorts
// on that column (again: the other way round), a tab drops the header sort,
// columns move and are remembered in ".\POSITION.INI", and the highlighted
// value becomes a filter.

#include "qvls/catalogue/album_list_fixture.h"

#include "platform/framework/context_menu.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "qvls/browse_extension/brovex_list.h"

namespace qv::qvls::testing {
namespace {

class AlbumListColumns : public AlbumList
{ };

TEST_F(AlbumListColumns, TheDesignShowsItsColumnsAndKeepsTheHiddenOnesField)
{
    EXPECT_EQ(headers(), (Strings{"Artist", "Album", "Media", "File Number", "Released", "Category", "WAV/MP3"}));
    EXPECT_EQ(shownFields(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    for (const std::string& id : column(8)) // the album id rides along, unshown
        EXPECT_GT(std::stoi(id), 0);
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
    mouse(rt::ListMouse::LeftDown, hit(0, 1));
    const rt::ListHit far = hit(0, 2, 30);
    mouse(rt::ListMouse::Move, far);
    mouse(rt::ListMouse::LeftUp, far);
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

TEST_F(AlbumListColumns, RemovingTheSortColumnGoesBackToTheWindowsOwnOrder)
{
    chooseTab(1);
    const Strings byKey = column(2);
    clickHeader(2);
    clickHeader(2);
    ASSERT_NE(column(2), byKey);
    mouse(rt::ListMouse::RightDown, hit(0, 2));
    list->post(BrovexList::kRemoveColumn);
    host->settle();
    EXPECT_EQ(headers().size(), 6u);
    for (const std::string& h : headers())
        EXPECT_TRUE(h.empty() || (h[0] != '>' && h[0] != '<')) << h;
    EXPECT_EQ(column(2), byKey);
}

} // namespace
} // namespace qv::qvls::testing
