// The albums with the songs of the highlighted album beside them: the songs
// follow the album highlight whatever order and filter either list has, Edit
// All Songs steps through the album's songs until one is not saved, and the
// caption counts both tables.

#include "qvls/catalogue/catalogue_fixture.h"

#include <filesystem>
#include <map>

#include "platform/framework/context_menu.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/services_fixture.h"
#include "qvls/catalogue/list_format_saver.h"
#include "qvls/core/outside_texts.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kWindow = "BrowseAlbumsAndSongs";

class AlbumsAndSongs : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        SetQueryWizardTexts();
        for (const char* label : kTables)
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* m : {"CD", "LP"})
            add(dictionary::Media(), {{"MED:Media", m}});
        for (const auto& [name, id] : {std::pair{"Jazz", "1"}, std::pair{"Folk", "2"}})
            add(dictionary::Categories(), {{"CAT:Category", name}, {"CAT:CategoryID", id}});
        const auto album = [&](const char* title, const char* artist, const char* category) {
            add(dictionary::Album(),
                {{"ALB:Album", title}, {"ALB:Artist", artist}, {"ALB:Media", "CD"}, {"ALB:CategoryID", category},
                    {"ALB:Category", "old copy"}});
            return value(dictionary::Album(), "ALB:AlbumID");
        };
        const std::string blue = album("Blue", "Joni Mitchell", "2");
        const std::string hejira = album("Hejira", "Joni Mitchell", "1");
        album("Aja", "Steely Dan", "1"); // no songs
        // Added out of order: the list shows side and track order.
        for (const auto& [id, side, track, title, time] :
            {std::tuple{blue, "2", "1", "A Case of You", "26001"}, {blue, "1", "2", "River", "24001"},
                {blue, "1", "1", "All I Want", "21601"}, {hejira, "1", "1", "Coyote", "30101"}})
            add(dictionary::Quorvel(),
                {{"SNG:AlbumID", id}, {"SNG:Side", side}, {"SNG:TrackNumber", track}, {"SNG:Title", title},
                    {"SNG:Artist", "Joni Mitchell"}, {"SNG:Media", "CD"}, {"SNG:Time", time}, {"SNG:CategoryID", "2"}});
        settings().DateFormat = "d17";
        open();
    }
    void TearDown() override
    {
        if (w && w->isOpen())
            host->press(*w, "?Close");
        for (const char* label : kTables)
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    void open()
    {
        host->startProcedure(kWindow);
        w = host->window(kWindow);
        ASSERT_NE(w, nullptr) << (host->failures().empty() ? "" : host->failures().front());
    }
    rt::Control& albums() const { return (*w)["?Browse:1"]; }
    rt::Control& songs() const { return (*w)["?List"]; }
    // A column's texts down a list (0-based column of the row).
    static Strings column(const rt::Control& list, int col)
    {
        Strings out;
        for (int r = 0; r < list.list()->rowCount(); ++r)
            out.emplace_back(text::trimRight(list.list()->cell(r, col)));
        return out;
    }
    Strings albumTitles() const { return column(albums(), 1); }
    Strings songTitles() const { return column(songs(), 3); }
    // The keyboard's arrows on the album list.
    void down() { host->post(*w, rt::Event{rt::event::ScrollDown, albums().number()}); }
    void up() { host->post(*w, rt::Event{rt::event::ScrollUp, albums().number()}); }
    void clickSongHeader(int column)
    {
        const rt::ListHit at = host->listPoint(*w, "?List", 0, column);
        host->listMouse(*w, "?List", rt::ListMouse::LeftDown, at);
        host->listMouse(*w, "?List", rt::ListMouse::LeftUp, at);
    }
    rt::Window* songForm() const
    {
        rt::Window* f = host->window("UpdateSong");
        return f && f->isOpen() ? f : nullptr;
    }

    static constexpr const char* kTables[] = {"Quorvel", "Album", "Categories", "Media", "SongDetails", "Artists"};
    rt::Window* w = nullptr;
};

TEST_F(AlbumsAndSongs, TheSongsFollowTheAlbumHighlightInTheirOwnOrder)
{
    // The Album tab: albums by title; the first has no songs.
    EXPECT_EQ(albumTitles(), (Strings{"Aja", "Blue", "Hejira"}));
    EXPECT_EQ(column(albums(), 5), (Strings{"Jazz", "Folk", "Jazz"})) << "the category's own name";
    host->choose(*w, "?Browse:1", 1); // Aja, without songs
    EXPECT_TRUE(songTitles().empty());

    down();
    EXPECT_EQ(songTitles(), (Strings{"All I Want", "River", "A Case of You"})) << "side and track order";
    EXPECT_EQ(column(songs(), 4), (Strings{" 3:36", " 4:00", " 4:20"})) << "the time as minutes";
    down();
    EXPECT_EQ(songTitles(), Strings{"Coyote"});
    up();
    EXPECT_EQ(songTitles(), (Strings{"All I Want", "River", "A Case of You"}));

    // A header sort on the songs keeps to the highlighted album.
    clickSongHeader(4);
    EXPECT_EQ(songTitles(), (Strings{"A Case of You", "All I Want", "River"}));
    down();
    EXPECT_EQ(songTitles(), Strings{"Coyote"});
    host->choose(*w, "?Browse:1", 1);
    EXPECT_TRUE(songTitles().empty());
    host->choose(*w, "?Browse:1", 2);
    EXPECT_EQ(songTitles(), (Strings{"A Case of You", "All I Want", "River"}));
    // The album list sorts on its own.
    EXPECT_EQ(albumTitles(), (Strings{"Aja", "Blue", "Hejira"}));
}

TEST_F(AlbumsAndSongs, TheSongListsMenuFiltersTheSongsOfEachAlbum)
{
    host->choose(*w, "?Browse:1", 2); // Blue
    // Right-click on River's title: its own menu, with the song list's items.
    const rt::ListHit river = host->listPoint(*w, "?List", 2, 4);
    host->listMouse(*w, "?List", rt::ListMouse::RightDown, river);
    host->post(*w, rt::Event{rt::event::AlertKey, songs().number(), rt::key::MouseRight});
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    std::map<std::string, std::string> items;
    for (const auto& item : menu->items())
        items[item.name] = item.text;
    EXPECT_EQ(items["ADDF4"], "Add Filter of (Title (Song)~=River)");
    ASSERT_TRUE(menu->choose("ADDF4")); // not River
    host->settle();
    EXPECT_EQ(songTitles(), (Strings{"All I Want", "A Case of You"}));
    EXPECT_EQ(albumTitles(), (Strings{"Aja", "Blue", "Hejira"})) << "the albums are not filtered";
    down();
    EXPECT_EQ(songTitles(), Strings{"Coyote"}) << "the filter keeps to the album";
}

TEST_F(AlbumsAndSongs, QueryNarrowsTheAlbumsAndTheCaptionCountsTheWholeTables)
{
    // The album's artist Is Equal To the text, through the wizard's pages.
    const auto query = [&](const std::string& artist) {
        host->press(*w, "?Query");
        rt::Window& wizard = *host->window("QueryWizard");
        host->press(wizard, "?And");
        host->choose(wizard, "?Fields", 1);
        host->press(wizard, "?Next");
        host->choose(wizard, "?Operations", 1);
        host->press(wizard, "?Next");
        host->enter(wizard, "?Value", artist);
        host->press(wizard, "?Next");
        host->press(wizard, "?Finish");
    };
    EXPECT_EQ(w->title(), "Albums (3) and Songs (4)");
    query("Joni Mitchell");
    EXPECT_EQ(albumTitles(), (Strings{"Blue", "Hejira"}));
    EXPECT_EQ(songTitles(), (Strings{"All I Want", "River", "A Case of You"})) << "the songs are not filtered";
    down();
    EXPECT_EQ(songTitles(), Strings{"Coyote"});
    EXPECT_EQ(w->title(), "Albums (3) and Songs (4)");
    EXPECT_TRUE((*w)["?Copy"].enabled());

    host->press(*w, "?Reset");
    EXPECT_EQ(albumTitles().size(), 3u);
    EXPECT_FALSE((*w)["?Reset"].enabled());

    // No album at all: nothing to copy, no songs, and no form to step through.
    query("Nobody");
    EXPECT_TRUE(albumTitles().empty());
    EXPECT_TRUE(songTitles().empty());
    EXPECT_FALSE((*w)["?Copy"].enabled());
    host->press(*w, "?EditAllSongs");
    EXPECT_EQ(songForm(), nullptr);
    EXPECT_EQ(w->title(), "Albums (3) and Songs (4)");
}

TEST_F(AlbumsAndSongs, EditAllSongsStepsInSideAndTrackOrderAndStopsAtTheFirstCancel)
{
    host->choose(*w, "?Browse:1", 2); // Blue
    host->press(*w, "?EditAllSongs");
    Strings shown;
    for (int step = 0; step < 4; ++step) {
        rt::Window* form = songForm();
        if (!form)
            break;
        shown.emplace_back(text::trimRight((*form)["?Title"].value()));
        if (step == 0) {
            host->enter(*form, "?Title", "All I Really Want");
            host->press(*form, "?OK");
        } else {
            host->press(*form, "?Cancel");
        }
    }
    EXPECT_EQ(shown, (Strings{"All I Want", "River"})) << "the third is never shown";
    EXPECT_EQ(songTitles(), (Strings{"All I Really Want", "River", "A Case of You"})) << "the saved song shows";

    // An album without songs opens no form.
    host->choose(*w, "?Browse:1", 1);
    host->press(*w, "?EditAllSongs");
    EXPECT_EQ(songForm(), nullptr);
}

TEST_F(AlbumsAndSongs, ASongFormThatEndsUnopenedEndsEditAllSongs)
{
    int calls = 0;
    rt::Procedures::add("UpdateSong", [&calls] { ++calls; }); // refuses at once, as a locked song's form does
    host->choose(*w, "?Browse:1", 2);
    host->press(*w, "?EditAllSongs");
    EXPECT_EQ(calls, 1);
}

TEST_F(AlbumsAndSongs, ASecondOpeningBringsTheFirstForward)
{
    w->setIconized(true);
    const std::size_t windows = host->openWindows().size();
    host->startProcedure(kWindow);
    EXPECT_EQ(host->openWindows().size(), windows);
    EXPECT_EQ(host->window(kWindow), w);
    EXPECT_FALSE(w->iconized());
}

TEST_F(AlbumsAndSongs, EachListKeepsItsOwnLayout)
{
    const auto width = [](const rt::Control& list, std::size_t column) {
        return rt::readListFormat(list.format()).format.columns.at(column - 1).width;
    };
    host->resizeColumn(*w, "?Browse:1", 1, 120);
    host->resizeColumn(*w, "?List", 3, 150);
    host->press(*w, "?Close");
    const std::string positions = readFile(collection("POSITION.INI"));
    EXPECT_NE(positions.find("[BrowseAlbumsAndSongs]"), std::string::npos) << positions;
    for (const char* key : {"BrovexOrigFormatString-?Browse:1=", "BrovexOrigFormatString-?List="})
        EXPECT_NE(positions.find(key), std::string::npos) << key;

    open();
    EXPECT_EQ(width(albums(), 1), 120);
    EXPECT_EQ(width(songs(), 3), 150);
    EXPECT_EQ(width(songs(), 1), 10) << "the song list's own columns";
}

TEST_F(AlbumsAndSongs, CtrlAltRPutsBothListsBackToTheirDesign)
{
    host->choose(*w, "?Browse:1", 2); // Blue
    const std::string albumDesign = albums().format(), songDesign = songs().format();
    host->resizeColumn(*w, "?Browse:1", 1, 150);
    host->resizeColumn(*w, "?List", 3, 150);
    clickSongHeader(4);
    ASSERT_NE(albums().format(), albumDesign);
    ASSERT_NE(songs().format(), songDesign);

    host->key(*w, ListFormatSaver::kRestoreDesignKey);
    EXPECT_EQ(albums().format(), albumDesign);
    EXPECT_EQ(songs().format(), songDesign);
    EXPECT_EQ(songTitles(), (Strings{"All I Want", "River", "A Case of You"})) << "the header sort ended";
}

// Play hands the highlighted song's audio file to the desktop's opener.
class AlbumsAndSongsPlay : public AlbumsAndSongs
{
protected:
    void SetUp() override
    {
        rt::testing::writeScript(bin.path() + "/xdg-open", "printf '%s\\n' \"$@\" >> \"$QV_TEST_OPENED\"\n");
        AlbumsAndSongs::SetUp();
    }
    std::string opened() const
    {
        // The opener's shell creates the file before it writes the line.
        if (!rt::testing::eventually(
                [&] { return std::filesystem::exists(openedLog) && rt::testing::readFile(openedLog).ends_with('\n'); }))
            return "<nothing opened>";
        return rt::testing::readFile(openedLog);
    }

    rt::testing::ScratchFolder bin{"qv opener"};
    const std::string openedLog = bin.path() + "/opened.txt";
    rt::testing::ScopedEnv pathEnv{
        "PATH", bin.path() + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    rt::testing::ScopedEnv logEnv{"QV_TEST_OPENED", openedLog};
};

TEST_F(AlbumsAndSongsPlay, PlayOpensTheHighlightedSongsFileAndNothingWithoutSongs)
{
    const std::string river = collection("river.mp3").string();
    writeFile(river, "ID3");
    tables::Table& songs = dictionary::Quorvel();
    songs.setOrder(-1);
    while (songs.next() == 0)
        if (value(songs, "SNG:Title") == "River") {
            songs.record()["SNG:AssociatedWAVFile"] = river;
            ASSERT_EQ(songs.update(), 0);
        }

    host->choose(*w, "?Browse:1", 1); // Aja, without songs
    host->press(*w, "?Play");
    host->choose(*w, "?Browse:1", 2); // Blue
    host->choose(*w, "?List", 2);
    host->press(*w, "?Play");
    EXPECT_EQ(opened(), river + "\n") << "River's file, once";
}

} // namespace
} // namespace qv::qvls::testing
