// The list shape: a list window built from its definition's declaration,
// and a list that keeps to one instance.

#include "data_fixture.h"
#include "platform/framework/context_menu.h"
#include "platform/framework/form_controller.h"
#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/resources.h"

std::span<const qv::rt::EmbeddedFile> fwtestResources();

namespace qv::fw::testing {
namespace {

class Lists : public ::testing::Test
{
protected:
    Catalogue c;
    std::int64_t arrival = 0, blue = 0;
    std::vector<int> responses;

    void SetUp() override
    {
        rt::ResourceStore::add("fwtest", fwtestResources());
        for (Record* r : {&c.albums.record(), &c.songs.record(), &c.media.record()})
            registerRecord(*r);
        registerRelationSet("Album", c.albumSet);
        registerRelationSet("Quorvel", c.songSet);
        registerRelationSet("Media", c.mediaSet);
        rt::Procedures::add("UpdateAlbum", [this] {
            FormController f("fwtest", "UpdateAlbum", c.albumSet);
            f.Execute();
        });
        handover() = Handover{};
        for (const char* m : {"CD", "LP"})
            c.addMedia(m);
        arrival = c.addAlbum("Arrival", "LP");
        blue = c.addAlbum("Blue", "CD");
        c.addAlbum("Abbey Road", "LP");
        c.addSong(arrival, "Money, Money, Money");
        c.addSong(arrival, "Dum Dum Diddle");
        c.addSong(blue, "River");
    }
    void TearDown() override
    {
        for (Record* r : {&c.albums.record(), &c.songs.record(), &c.media.record()})
            unregisterRecord(*r);
        for (const char* label : {"Album", "Quorvel", "Media"})
            unregisterRelationSet(label);
        handover() = Handover{};
    }

    // Starts a list on a thread of its own, as the frame does.
    rt::Window* open(const char* procedure, int request = request::None)
    {
        c.host.start(procedure, [this, procedure, request] {
            handover().request = request;
            ListWindow w("fwtest", procedure);
            responses.push_back(w.Execute());
        });
        c.host.settle();
        return c.host.window(procedure);
    }

    static std::vector<std::string> column(const rt::Control& list, int col = 0)
    {
        std::vector<std::string> out;
        for (int r = 0; r < list.list()->rowCount(); ++r) {
            std::string cell = list.list()->cell(r, col);
            while (!cell.empty() && cell.back() == ' ')
                cell.pop_back();
            out.push_back(cell);
        }
        return out;
    }
};

TEST_F(Lists, TheDeclarationGivesTheColumnsOrdersButtonsAndForm)
{
    rt::Window* w = open("BrowseAlbums");
    ASSERT_NE(w, nullptr);
    rt::Control& list = (*w)["?List"];
    EXPECT_EQ(list.format(), "120L(2)|M~Title~@s40@60L|M~Media~@s20@30R|M~Rating~@n2@");
    EXPECT_EQ(column(list), (std::vector<std::string>{"Abbey Road", "Arrival", "Blue"}));
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"LP", "LP", "CD"}));

    // The Media tab sorts by media.
    c.host.choose(*w, "?Sheet", 2);
    EXPECT_EQ(column(list), (std::vector<std::string>{"Blue", "Arrival", "Abbey Road"}));
    c.host.choose(*w, "?Sheet", 1);
    EXPECT_EQ(column(list), (std::vector<std::string>{"Abbey Road", "Arrival", "Blue"}));

    // Select is for lookups only; the others follow the rows.
    EXPECT_TRUE((*w)["?Select"].hidden());
    EXPECT_TRUE((*w)["?Change"].enabled());

    // The context menu: the buttons' items, then the declared ones.
    w->select(list);
    c.host.key(*w, rt::key::MouseRight);
    PopupMenuWindow* menu = c.host.dialog<PopupMenuWindow>();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (const PopupMenuWindow::Item& i : menu->items())
        items.push_back(i.separator ? "-" : i.text);
    EXPECT_EQ(items, (std::vector<std::string>{"&Insert", "&Change", "&Delete", "-", "&Play"}));
    menu->dismiss();
    c.host.settle();

    // Change opens the form named by the declaration on the highlighted album.
    list.userSelected(2);
    c.host.post(*w, rt::Event{rt::event::NewSelection, list.number()});
    c.host.press(*w, "?Change");
    rt::Window* form = c.host.window("UpdateAlbum");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ((*form)["?Title"].value().substr(0, 7), "Arrival");
    c.host.enter(*form, "?Title", "Arrival (Deluxe)");
    c.host.press(*form, "?OK");
    EXPECT_EQ(c.host.window("UpdateAlbum"), nullptr);
    EXPECT_EQ(column(list), (std::vector<std::string>{"Abbey Road", "Arrival (Deluxe)", "Blue"}));

    c.host.press(*w, "?Close");
    EXPECT_EQ(c.host.window("BrowseAlbums"), nullptr);
    EXPECT_EQ(responses, std::vector<int>{response::Cancelled});
}

TEST_F(Lists, AFormThatIsNotThereSaysSoAndSavesNothing)
{
    rt::Window* w = open("BrowseMedia");
    ASSERT_NE(w, nullptr);
    handover().response = response::Completed; // left by an earlier form
    c.host.press(*w, "?Change");
    rt::MessageBoxWindow* said = c.host.messageBox();
    ASSERT_NE(said, nullptr);
    EXPECT_EQ(said->text(), "The form UpdateMedia is not available.");
    c.host.answer(rt::button::Ok);
    EXPECT_EQ(handover().response, response::Cancelled);
    EXPECT_EQ(column((*w)["?List"]), (std::vector<std::string>{"CD", "LP"}));
    c.host.press(*w, "?Close");
}

TEST_F(Lists, ASecondOpeningBringsTheFirstForwardAndOpensNothing)
{
    rt::Window* first = open("BrowseAlbums");
    ASSERT_NE(first, nullptr);
    first->setIconized(true);
    const std::size_t windows = c.host.openWindows().size();

    open("BrowseAlbums");
    EXPECT_EQ(c.host.openWindows().size(), windows) << "no second window";
    EXPECT_EQ(c.host.window("BrowseAlbums"), first);
    EXPECT_FALSE(first->iconized()) << "the first one came forward, restored";
    ASSERT_EQ(ListWindow::singleInstances().size(), 1u);
    EXPECT_EQ(ListWindow::singleInstances().front().procedure, "BrowseAlbums");

    // A lookup is a list of its own, whatever is open.
    open("BrowseAlbums", request::Select);
    EXPECT_EQ(c.host.openWindows().size(), windows + 1);
    rt::Window* lookup = c.host.window("BrowseAlbums");
    ASSERT_NE(lookup, first);
    EXPECT_FALSE((*lookup)["?Select"].hidden());
    c.host.press(*lookup, "?Select");
    EXPECT_EQ(responses.back(), response::Completed);

    c.host.press(*first, "?Close");
    EXPECT_TRUE(ListWindow::singleInstances().empty());
    // Closed, it opens again.
    EXPECT_NE(open("BrowseAlbums"), nullptr);
    c.host.press(*c.host.window("BrowseAlbums"), "?Close");
}

TEST_F(Lists, AnOrderLimitedToItsParentShowsOnlyTheParentsRows)
{
    c.loadAlbum(arrival);
    rt::Window* w = open("BrowseAlbumSongs");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(column((*w)["?List"]), (std::vector<std::string>{"Money, Money, Money", "Dum Dum Diddle"}));
    c.host.press(*w, "?Close");

    c.loadAlbum(blue);
    w = open("BrowseAlbumSongs");
    EXPECT_EQ(column((*w)["?List"]), std::vector<std::string>{"River"});
    c.host.press(*w, "?Close");
}

// The songs beside the albums, in title order and limited to one media, as a
// header sort and a column filter would have them.
class SortedSongs : public ListWindow
{
public:
    SortedSongs()
        : ListWindow("fwtest", "BrowseAlbumsAndSongs")
    { }

protected:
    Level prepareList() override
    {
        ViewReader& songs = besideList("SongList")->reader();
        const int byTitle = songs.AddOrderExpression("+UPPER(SNG:Title)");
        songs.limitLike(byTitle, 1);
        songs.setCurrentOrder(byTitle);
        songs.setFilter("Media", "SNG:Media = 'CD'");
        return Benign;
    }
};

TEST_F(Lists, AListBesideFollowsTheHighlightedRowInItsOwnOrderAndFilters)
{
    c.addSong(arrival, "Another Arrival Song");
    c.addSong(arrival, "On Vinyl Only", "LP");
    c.addSong(blue, "A Case of You");
    const int songsOpen = c.songAccess.openCount();
    struct Case {
        const char* title;
        std::function<void()> run;
        std::vector<std::vector<std::string>> songs; // after each move down
    };
    const Case cases[] = {
        {"in the limited key's order",
            [this] {
                ListWindow w("fwtest", "BrowseAlbumsAndSongs");
                w.Execute();
            },
            {{"Money, Money, Money", "Dum Dum Diddle", "Another Arrival Song", "On Vinyl Only"},
                {"River", "A Case of You"}, {"River", "A Case of You"}}},
        {"sorted and filtered",
            [] {
                SortedSongs w;
                w.Execute();
            },
            {{"Another Arrival Song", "Dum Dum Diddle", "Money, Money, Money"}, {"A Case of You", "River"},
                {"A Case of You", "River"}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.title);
        c.host.start("BrowseAlbumsAndSongs", k.run);
        c.host.settle();
        rt::Window* w = c.host.window("BrowseAlbumsAndSongs");
        ASSERT_NE(w, nullptr);
        rt::Control& albums = (*w)["?List"];
        rt::Control& songs = (*w)["?SongList"];
        EXPECT_EQ(column(albums), (std::vector<std::string>{"Abbey Road", "Arrival", "Blue"}));
        EXPECT_TRUE(column(songs).empty()) << "Abbey Road has no songs";
        // The keyboard moves the highlight down, and past the last album.
        for (const auto& expected : k.songs) {
            c.host.post(*w, rt::Event{rt::event::ScrollDown, albums.number()});
            EXPECT_EQ(column(songs), expected);
            EXPECT_EQ(songs.selected(), 1) << "a new album starts on its first song";
        }
        // A click back on the first album empties the list again.
        albums.userSelected(1);
        c.host.post(*w, rt::Event{rt::event::NewSelection, albums.number()});
        EXPECT_TRUE(column(songs).empty());
        c.host.press(*w, "?Close");
        EXPECT_EQ(c.host.window("BrowseAlbumsAndSongs"), nullptr);
    }
    EXPECT_EQ(c.songAccess.openCount(), songsOpen) << "the window closed what it opened";
}

} // namespace
} // namespace qv::fw::testing
