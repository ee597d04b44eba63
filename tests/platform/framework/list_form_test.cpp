// A list and its form driven on the headless host as a user would.

#include "platform/framework/list_fixture.h"
#include "platform/runtime/keycodes.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;

namespace {

struct ListForm : ListFixture {
    std::int64_t alpha = 0, bravo = 0, charlie = 0, delta = 0, echo = 0, foxtrot = 0;
    void SetUp() override
    {
        c.addMedia("CD");
        c.addMedia("LP");
        alpha = c.addAlbum("Alpha");
        bravo = c.addAlbum("Bravo", "LP");
        charlie = c.addAlbum("Charlie");
        delta = c.addAlbum("Delta");
        echo = c.addAlbum("Echo", "LP");
        foxtrot = c.addAlbum("Foxtrot");
    }
    rt::Window* form() const { return c.host.window("UpdateAlbum"); }
    bool formOpen() const { return form() && form()->isOpen(); }
    // A stored album's field, read without disturbing the shared buffer.
    std::string stored(std::int64_t id, const char* field = "ALB:Title")
    {
        const tables::Record keep = c.albums.record();
        c.loadAlbum(id);
        std::string v = c.albums.record().getText(c.albums.def().fieldIndex(field));
        c.albums.record() = keep;
        return v;
    }
};

TEST_F(ListForm, InsertReservesTheIdSavesAndHighlightsTheNewRecord)
{
    rt::Window* w = openAlbums();
    ASSERT_TRUE(w);
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"Alpha", "Bravo", "Charlie", "Delta"}));
    c.host.press(*w, "?Insert");
    ASSERT_TRUE(formOpen());
    EXPECT_GT(c.albums.record()["ALB:AlbumID"].toInt(), foxtrot) << "the id is reserved as the form opens";
    EXPECT_EQ((*form())["?Title"].value(), "New Album") << "the table's defaults";
    c.host.enter(*form(), "?Title", "Dune");
    c.host.enter(*form(), "?Media", "CD");
    c.host.press(*form(), "?OK");
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(highlighted(albumList), "Dune");
    EXPECT_EQ(c.albums.records(), 7);
}

TEST_F(ListForm, CancelledInsertTakesTheReservedRecordAndItsChildRowsAway)
{
    rt::Window* w = openAlbums();
    const auto before = c.snapshot();
    c.host.press(*w, "?Insert");
    ASSERT_TRUE(formOpen());
    const std::int64_t reserved = c.albums.record()["ALB:AlbumID"].toInt();
    // Child rows written while the form is open carry the reserved id.
    const tables::Record keep = c.albums.record();
    c.addSong(reserved, "Track 1");
    c.addSong(reserved, "Track 2");
    c.albums.record() = keep;
    c.host.press(*form(), "?Cancel");
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(c.snapshot(), before);
    EXPECT_EQ(highlighted(albumList), "Alpha");
}

TEST_F(ListForm, ChangeOpensOnTheHighlightedRecordAndRepositionsAfterTheSave)
{
    rt::Window* w = openAlbums();
    c.host.choose(*w, "?List", 2);
    c.host.press(*w, "?Change");
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "Bravo");
    c.host.enter(*form(), "?Title", "Zulu");
    c.host.press(*form(), "?OK");
    EXPECT_EQ(stored(bravo), "Zulu");
    // Zulu sorts last now: the page moves with it.
    EXPECT_EQ(highlighted(albumList), "Zulu");
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"Delta", "Echo", "Foxtrot", "Zulu"}));
}

TEST_F(ListForm, EnterAndDoubleClickChangeAndInsertKeyAdds)
{
    rt::Window* w = openAlbums();
    c.host.choose(*w, "?List", 3);
    c.host.key(*w, rt::key::Enter);
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "Charlie");
    c.host.press(*form(), "?Cancel");
    c.host.key(*w, rt::key::MouseLeft2);
    ASSERT_TRUE(formOpen());
    c.host.press(*form(), "?Cancel");
    c.host.key(*w, rt::key::Insert);
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "New Album");
    c.host.press(*form(), "?Cancel");
    EXPECT_EQ(c.albums.records(), 6);
}

TEST_F(ListForm, DeleteCascadesToTheSongsAndTheNextRowIsHighlighted)
{
    c.addSong(charlie, "One");
    c.addSong(charlie, "Two");
    c.addSong(alpha, "Kept");
    rt::Window* w = openAlbums();
    c.host.choose(*w, "?List", 3);
    c.host.press(*w, "?Delete");
    ASSERT_TRUE(c.host.messageBox());
    EXPECT_EQ(dialogText(), "Confirm Delete");
    EXPECT_FALSE(formOpen()) << "a delete never opens the form";
    c.host.answer(rt::button::Yes);
    EXPECT_EQ(c.albums.records(), 5);
    EXPECT_EQ(Catalogue::rows(c.songs).size(), 1u);
    EXPECT_EQ(highlighted(albumList), "Delta");
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"Alpha", "Bravo", "Delta", "Echo"}));
}

TEST_F(ListForm, RestrictedDeleteIsRefusedAndTheRowStays)
{
    const std::int64_t listed = c.addSong(alpha, "Listed");
    c.addSong(alpha, "Free");
    c.addEntry(1, listed);
    c.loadAlbum(alpha);
    rt::Window* w = openSongs();
    ASSERT_TRUE(w);
    EXPECT_EQ(shown(songList), (std::vector<std::string>{"Listed", "Free"}));
    c.host.press(*w, "?Delete");
    c.host.answer(rt::button::Yes);
    ASSERT_TRUE(c.host.messageBox());
    EXPECT_EQ(dialogText(), "Referential Integrity Delete Error");
    c.host.answer(rt::button::Ok);
    EXPECT_EQ(shown(songList), (std::vector<std::string>{"Listed", "Free"}));
    EXPECT_EQ(highlighted(songList), "Listed");
}

TEST_F(ListForm, SaveAndNextMovesTheListAndOpensTheFormAgain)
{
    rt::Window* w = openAlbums();
    c.host.choose(*w, "?List", 4);
    c.host.press(*w, "?Change");
    ASSERT_TRUE(formOpen());
    c.host.enter(*form(), "?Media", "LP");
    form()->select((*form())["?Media"]);
    c.host.key(*form(), rt::key::withAlt(rt::key::Right));
    // Delta was saved; the list moved past the page's end onto Echo.
    EXPECT_EQ(stored(delta), "Delta");
    EXPECT_EQ(stored(delta, "ALB:Media"), "LP");
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "Echo");
    EXPECT_EQ(form()->focus(), &(*form())["?Media"]) << "the focus stays on the field";
    c.host.key(*form(), rt::key::withAlt(rt::key::Left));
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "Delta");
    c.host.press(*form(), "?Cancel");
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(highlighted(albumList), "Delta");
}

TEST_F(ListForm, SaveAndNextOnTheLastRowEndsTheRound)
{
    rt::Window* w = openAlbums();
    c.host.post(*w, rt::Event{rt::event::ScrollBottom, (*w)["?List"].number()});
    EXPECT_EQ(highlighted(albumList), "Foxtrot");
    c.host.press(*w, "?Change");
    c.host.key(*form(), rt::key::withAlt(rt::key::Right));
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(highlighted(albumList), "Foxtrot");
}

TEST_F(ListForm, SelectLookupAnswersTheHighlightedRecord)
{
    c.albums.record().clear();
    c.albums.record().recordId = 0;
    int result = 0;
    rt::Window* w = openAlbums(request::Select, &result);
    ASSERT_TRUE(w);
    EXPECT_FALSE((*w)["?Select"].hidden());
    EXPECT_TRUE((*w)["?Select"].isDefault());
    const std::string name = w->def().name;
    c.host.choose(*w, "?List", 2);
    c.host.key(*w, rt::key::Enter);
    EXPECT_EQ(c.host.window(name), nullptr) << "the lookup closed";
    EXPECT_EQ(result, response::Completed);
    EXPECT_EQ(c.albums.record()["ALB:AlbumID"].toInt(), bravo);
}

TEST_F(ListForm, SelectLookupOpensOnTheCallersRecordAndCancelAnswersTwo)
{
    c.loadAlbum(echo);
    int result = 0;
    rt::Window* w = openAlbums(request::Select, &result);
    EXPECT_EQ(highlighted(albumList), "Echo");
    c.host.press(*w, "?Close");
    EXPECT_EQ(result, response::Cancelled);
}

TEST_F(ListForm, BrowsingHidesSelect)
{
    rt::Window* w = openAlbums();
    EXPECT_TRUE((*w)["?Select"].hidden());
}

// Another station writes the record behind the list's back.
void changeBehind(Catalogue& c, std::int64_t id, const char* newTitle)
{
    const tables::Record keep = c.albums.record();
    c.loadAlbum(id);
    c.albums.record()["ALB:Title"] = newTitle;
    ASSERT_EQ(c.albums.update(), 0);
    c.albums.record() = keep;
}

TEST_F(ListForm, TheFormStartsFromTheRecordAsAnotherStationLeftIt)
{
    rt::Window* w = openAlbums();
    changeBehind(c, alpha, "Aardvark");
    EXPECT_EQ(highlighted(albumList), "Alpha") << "the page is not read again by itself";
    c.host.press(*w, "?Change");
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form())["?Title"].value(), "Aardvark");
    c.host.enter(*form(), "?Media", "LP");
    c.host.press(*form(), "?OK");
    EXPECT_FALSE(c.host.messageBox()) << "the re-read record saves without a refusal";
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(highlighted(albumList), "Aardvark");
}

TEST_F(ListForm, ASaveOverAnotherStationsChangeIsRefused)
{
    rt::Window* w = openAlbums();
    c.host.press(*w, "?Change");
    c.host.enter(*form(), "?Title", "Mine");
    changeBehind(c, alpha, "Theirs");
    c.host.press(*form(), "?OK");
    ASSERT_TRUE(c.host.messageBox());
    EXPECT_NE(c.host.messageBox()->text().find("changed by another station"), std::string::npos);
    c.host.answer(rt::button::Ok);
    ASSERT_TRUE(formOpen()) << "the form stays open";
    EXPECT_EQ((*form())["?Title"].value(), "Theirs") << "showing the other station's record";
    EXPECT_EQ(stored(alpha), "Theirs");
}

TEST_F(ListForm, ALetterJumpsToTheFirstTitleStartingWithIt)
{
    rt::Window* w = openAlbums();
    c.host.key(*w, 'E');
    EXPECT_EQ(highlighted(albumList), "Echo");
    EXPECT_EQ(albumList.RowCount(), 4) << "the page is filled from before the located row";
    c.host.key(*w, 'A');
    EXPECT_EQ(highlighted(albumList), "Alpha");
    c.host.key(*w, 'Z');
    EXPECT_EQ(highlighted(albumList), "Foxtrot") << "past the last row: the end";
}

TEST_F(ListForm, FilteredAndRangeLimitedList)
{
    c.addSong(alpha, "Blue Train");
    c.addSong(alpha, "Red");
    c.addSong(alpha, "Blue Moon");
    c.addSong(bravo, "Blue Other");
    songs.setFilter("6 Query", std::string("INSTRING('Blue', SNG:Title, 1, 1) > 0"));
    c.loadAlbum(alpha);
    rt::Window* w = openSongs();
    EXPECT_EQ(shown(songList), (std::vector<std::string>{"Blue Train", "Blue Moon"}));
    // A new song belongs to the album of the range.
    c.host.press(*w, "?Insert");
    rt::Window* f = c.host.window("UpdateSong");
    ASSERT_TRUE(f && f->isOpen());
    EXPECT_EQ(c.songs.record()["SNG:AlbumID"].toInt(), alpha);
    c.host.enter(*f, "?Title", "Blue Note");
    c.host.press(*f, "?OK");
    EXPECT_EQ(shown(songList), (std::vector<std::string>{"Blue Train", "Blue Moon", "Blue Note"}));
    EXPECT_EQ(highlighted(songList), "Blue Note");
    // Another parent: the range is read again on a refresh.
    c.loadAlbum(bravo);
    songList.Refresh();
    EXPECT_EQ(shown(songList), (std::vector<std::string>{"Blue Other"}));
}

TEST_F(ListForm, ButtonsFollowTheRows)
{
    c.loadAlbum(foxtrot);
    rt::Window* w = openSongs();
    EXPECT_EQ(songList.RowCount(), 0);
    EXPECT_FALSE((*w)["?Change"].enabled());
    EXPECT_FALSE((*w)["?Delete"].enabled());
    EXPECT_TRUE((*w)["?Insert"].enabled());
    c.host.key(*w, rt::key::Enter);
    EXPECT_FALSE(c.host.window("UpdateSong")) << "Enter on an empty list opens nothing";
    c.host.press(*w, "?Insert");
    c.host.enter(*c.host.window("UpdateSong"), "?Title", "First");
    c.host.press(*c.host.window("UpdateSong"), "?OK");
    EXPECT_TRUE((*w)["?Change"].enabled());
    EXPECT_TRUE((*w)["?Delete"].enabled());
}

} // namespace
