// The song lists as a user works them: the classic list's nine tabs with
// their orders, locators and reports, Copy, the song's album, header sorts,
// filters and queries inside a tab's range, and the explorer list's Copy
// and Print.

#include "qvls/catalogue/album_list_fixture.h"

#include <QImage>
#include <QPainter>

#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/report/fonts.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/printing.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/kept_jobs.h"
#include "qvls/core/globals.h"
#include "qvls/core/outside_texts.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

// The procedures Print started, by name.
std::vector<std::string>& started()
{
    static std::vector<std::string> names;
    return names;
}

class SongLists : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "Categories", "Media"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [name, id] : {std::pair{"Rock", "1"}, std::pair{"Jazz", "2"}})
            add(dictionary::Categories(), {{"CAT:Category", name}, {"CAT:CategoryID", id}});
        for (const char* m : {"CD", "LP"})
            add(dictionary::Media(), {{"MED:Media", m}});
        settings().DefaultMedia = "CD";
        arrival = addAlbum("Arrival");
        desire = addAlbum("Desire");
        struct Song {
            const char *artist, *title, *album;
            std::int64_t albumId;
            const char *media, *fileNumber, *category, *chart, *bpm, *udk;
        };
        // Cher's song is on no album; Aaron Neville's names an album that is not there.
        for (const Song& s :
            {Song{"Abba", "Waterloo", "Arrival", arrival, "CD", "CD001", "1", "3", "120", "m"},
                Song{"Bob Dylan", "Hurricane", "Desire", desire, "LP", "LP002", "2", "1", "90", "b"},
                Song{"Cher", "Believe", "Believe", 0, "CD", "CD003", "1", "2", "130", "z"},
                Song{"Aaron Neville", "Tell It Like It Is", "Warm Your Heart", 99, "LP", "LP001", "0", "0", "60", "a"}})
            add(dictionary::Quorvel(),
                {{"SNG:Artist", s.artist}, {"SNG:Title", s.title}, {"SNG:Album", s.album},
                    {"SNG:AlbumID", std::to_string(s.albumId)}, {"SNG:Media", s.media},
                    {"SNG:FileNumber", s.fileNumber}, {"SNG:CategoryID", s.category}, {"SNG:ChartNumber", s.chart},
                    {"SNG:BeatsPerMinute", s.bpm}, {"SNG:UserDefinedKeyField", s.udk}, {"SNG:Time", "22501"}});
    }
    void TearDown() override
    {
        if (list && host->window(procedure))
            host->press(*list, "?Close");
        CatalogueWindows::TearDown();
    }

    static std::int64_t addAlbum(const char* title)
    {
        Table& a = dictionary::Album();
        add(a, {{"ALB:Album", title}, {"ALB:Artist", "Various"}, {"ALB:Media", "CD"}});
        return a.record()["ALB:AlbumID"].toInt();
    }
    // Puts a record into a shared buffer, as the caller of the list leaves it.
    static void hold(Table& t, const char* key, const char* field, const char* value)
    {
        t.record().clear();
        t.record()[std::string_view(field)] = value;
        ASSERT_EQ(t.fetch(t.def().keyIndex(key)), 0) << value;
    }

    // The song with that title, in the songs' buffer.
    static void holdSong(const char* title)
    {
        Table& t = dictionary::Quorvel();
        t.setOrder(t.def().keyIndex("SNG:SongsByTitle"));
        while (t.next() == 0)
            if (value(t, "SNG:Title") == title)
                return;
        FAIL() << "no song " << title;
    }

    void open()
    {
        host->startProcedure(procedure);
        list = host->window(procedure);
        ASSERT_NE(list, nullptr) << (host->failures().empty() ? "" : host->failures().front());
    }
    void reopenWithNoSongs()
    {
        host->press(*list, "?Close");
        Table& t = dictionary::Quorvel();
        while (t.setOrder(-1) == 0 && t.next() == 0)
            ASSERT_EQ(t.remove(), 0);
        open();
    }
    rt::Control& box() const { return (*list)["?Browse"]; }
    // The values of a column (0-based list-queue field) down the list.
    Strings column(int field) const
    {
        Strings out;
        for (int r = 0; r < box().list()->rowCount(); ++r)
            out.emplace_back(text::trimRight(box().list()->cell(r, field)));
        return out;
    }
    Strings artists() const { return column(0); }
    std::string highlighted() const { return text::trimRight(box().list()->cell(box().selected() - 1, 0)).data(); }
    void type(std::string_view keys)
    {
        for (char c : keys)
            host->key(*list, c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    void clickHeader(int column)
    {
        const rt::ListHit at = host->listPoint(*list, "?Browse", 0, column);
        host->listMouse(*list, "?Browse", rt::ListMouse::LeftDown, at);
        host->listMouse(*list, "?Browse", rt::ListMouse::LeftUp, at);
    }
    void highlight(const std::string& artist)
    {
        const Strings a = artists();
        const auto at = std::find(a.begin(), a.end(), artist);
        ASSERT_NE(at, a.end()) << artist;
        host->choose(*list, "?Browse", static_cast<int>(at - a.begin()) + 1);
    }
    rt::Window* window(const char* name) const
    {
        rt::Window* w = host->window(name);
        return w && w->isOpen() ? w : nullptr;
    }
    // A form left with Cancel, saying No to saving what it holds.
    void cancel(const char* form)
    {
        host->press(*window(form), "?Cancel");
        while (host->messageBox())
            host->answer(rt::button::No);
        ASSERT_FALSE(window(form));
    }
    // The message now shown, answered; "" when there is none.
    std::string said()
    {
        rt::MessageBoxWindow* box = host->messageBox();
        if (!box)
            return {};
        const std::string text = box->text();
        host->answer(box->buttons().front().answer);
        return text;
    }
    static Strings songTitles()
    {
        Strings out;
        Table& t = dictionary::Quorvel();
        t.setOrder(t.def().keyIndex("SNG:SongsByTitle"));
        while (t.next() == 0)
            out.push_back(value(t, "SNG:Title"));
        return out;
    }

    std::string procedure = "BrowseSongs";
    rt::Window* list = nullptr;
    std::int64_t arrival = 0, desire = 0;
};

TEST_F(SongLists, EachTabShowsItsOrderLocatesOnItsFieldAndPrintsItsReport)
{
    for (const char* report : {"PrintSNG:SongsByArtist", "PrintSNG:SongsByTitle", "PrintSNG:SongsByAlbum",
             "PrintSNG:SongsByFileNumber", "PrintSNG:SongsByMedia", "PrintSNG:SongsByCategorySelected",
             "PrintSongsByChart", "PrintSNG:SongsByBPM", "PrintSNG:SongsByUDK"})
        if (!rt::Procedures::exists(report))
            rt::Procedures::add(report, [name = std::string(report)] { started().push_back(name); });
    started().clear();
    hold(dictionary::Media(), "MED:KeyMedia", "MED:Media", "LP");
    hold(dictionary::Categories(), "CAT:KeyCategory", "CAT:Category", "Rock");
    settings().UDKPrompt = "Mood of the song";
    struct Case {
        const char* tab; // in the sheet's order
        Strings order; // the artists, top down
        const char* typed;
        const char* located;
        const char* entry; // the entry that shows what was typed
        const char* report;
    };
    const Case cases[] = {
        {"?ArtistTab", {"Aaron Neville", "Abba", "Bob Dylan", "Cher"}, "c", "Cher", "?LocateArtist",
            "PrintSNG:SongsByArtist"},
        {"?TitleTab", {"Cher", "Bob Dylan", "Aaron Neville", "Abba"}, "h", "Bob Dylan", "?LocateTitle",
            "PrintSNG:SongsByTitle"},
        {"?AlbumTab", {"Abba", "Cher", "Bob Dylan", "Aaron Neville"}, "d", "Bob Dylan", "?LocateAlbum",
            "PrintSNG:SongsByAlbum"},
        {"?FileNumberTab", {"Abba", "Cher", "Aaron Neville", "Bob Dylan"}, "lp002", "Bob Dylan", "?LocateFileNumber",
            "PrintSNG:SongsByFileNumber"},
        // The LP songs, located by file number.
        {"?MediaTab", {"Aaron Neville", "Bob Dylan"}, "lp002", "Bob Dylan", "?LocateFileNumber",
            "PrintSNG:SongsByMedia"},
        // Rock's songs, located by artist.
        {"?CategoryTab", {"Abba", "Cher"}, "c", "Cher", "?LocateArtist", "PrintSNG:SongsByCategorySelected"},
        {"?ChartTab", {"Aaron Neville", "Bob Dylan", "Cher", "Abba"}, "2", "Cher", "?LocateChart", "PrintSongsByChart"},
        {"?BpmTab", {"Aaron Neville", "Bob Dylan", "Abba", "Cher"}, "120", "Abba", "?LocateBpm", "PrintSNG:SongsByBPM"},
        {"?UdkTab", {"Aaron Neville", "Bob Dylan", "Abba", "Cher"}, "m", "Abba", "?LocateUdk", "PrintSNG:SongsByUDK"},
    };
    open();
    EXPECT_EQ(list->title(), "Songs - 4 entries");
    EXPECT_EQ((*list)["?UdkTab"].text(), "By Mood of th") << "ten characters of the user's name for the field";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& k = cases[i];
        SCOPED_TRACE(k.tab);
        host->choose(*list, "?CurrentTab", static_cast<int>(i) + 1);
        EXPECT_EQ(artists(), k.order);
        type(k.typed);
        EXPECT_EQ(highlighted(), k.located);
        EXPECT_TRUE(text::equalsNoCase(text::trimRight((*list)[k.entry].value()), k.typed)) << k.entry;
        started().clear();
        host->press(*list, "?Print");
        host->settle();
        EXPECT_EQ(started(), Strings{k.report});
    }
    EXPECT_EQ(list->title(), "Songs - 4 entries") << "every song is counted, whatever a tab shows";
}

TEST_F(SongLists, TheColumnsShowTheDisplayTitleTheTimeAndTheHiddenIds)
{
    Table& s = dictionary::Quorvel();
    holdSong("Believe");
    s.record()["SNG:Mix"] = "Club Mix";
    s.record()["SNG:Skips"] = 1;
    ASSERT_EQ(s.update(), 0);
    open();
    // By artist: Aaron Neville, Abba, Bob Dylan, Cher.
    EXPECT_EQ(column(1).back(), "Believe (Skips) (Club Mix)");
    EXPECT_EQ(column(17).back(), "Believe") << "the bare title rides along, unshown";
    EXPECT_EQ(host->listCell(*list, "?Browse", 4, 7).value, "0:03:45");
    EXPECT_EQ(column(20), (Strings{"0", std::to_string(arrival), std::to_string(desire), "0"}))
        << "the joined album's id, none where the song has none or its album is not there";
}

TEST_F(SongLists, CopyStartsTheFormOnTheHighlightedSongAndIsOffWithNoSongs)
{
    open();
    highlight("Bob Dylan");
    host->press(*list, "?Copy");
    rt::Window* form = window("UpdateSong");
    ASSERT_TRUE(form && form->isOpen());
    EXPECT_EQ(form->title(), "Add Song");
    EXPECT_EQ((*form)["?Artist"].value(), "Bob Dylan") << "not the artist of the album it is listed with";
    EXPECT_EQ((*form)["?Title"].value(), "Hurricane");
    host->press(*form, "?OK");
    ASSERT_TRUE(window("UpdateSong")) << "a new song's form stays open for the next";
    cancel("UpdateSong");
    EXPECT_EQ(songTitles(), (Strings{"Believe", "Hurricane", "Hurricane", "Tell It Like It Is", "Waterloo"}));
    EXPECT_EQ(list->title(), "Songs - 5 entries");

    // The copy is used up: Add starts empty.
    host->press(*list, "?Add");
    form = window("UpdateSong");
    ASSERT_TRUE(form);
    EXPECT_EQ((*form)["?Artist"].value(), "");
    cancel("UpdateSong");

    reopenWithNoSongs();
    EXPECT_FALSE((*list)["?Copy"].enabled());
}

TEST_F(SongLists, AlbumOpensOnlyTheSongsOwnAlbum)
{
    open();
    struct Case {
        const char* artist;
        const char* said; // "" when the album form opens
        const char* album; // the album the form shows
    };
    const Case cases[] = {
        {"Abba", "", "Arrival"},
        {"Bob Dylan", "", "Desire"},
        {"Cher", "This song is on no album.", ""},
        {"Aaron Neville", "The album of this song is no longer the one listed with it. The list is read again.", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.artist);
        highlight(k.artist);
        host->press(*list, "?Album");
        rt::Window* form = window("UpdateAlbum");
        if (*k.said) {
            EXPECT_EQ(said(), k.said);
            EXPECT_FALSE(form);
            continue;
        }
        ASSERT_TRUE(form && form->isOpen());
        EXPECT_EQ((*form)["?Album"].value(), k.album);
        cancel("UpdateAlbum");
    }

    // A song moved to another album after the list read it: not the album listed.
    Table& s = dictionary::Quorvel();
    holdSong("Waterloo");
    s.record()["SNG:AlbumID"] = desire;
    ASSERT_EQ(s.update(), 0);
    highlight("Abba");
    host->press(*list, "?Album");
    EXPECT_EQ(said(), "The album of this song is no longer the one listed with it. The list is read again.");
    EXPECT_FALSE(window("UpdateAlbum"));
    // Read again, the list shows the song's album now.
    highlight("Abba");
    host->press(*list, "?Album");
    rt::Window* form = window("UpdateAlbum");
    ASSERT_TRUE(form);
    EXPECT_EQ((*form)["?Album"].value(), "Desire");
    cancel("UpdateAlbum");
}

TEST_F(SongLists, MoreOpensTheListsMenuUnderTheButton)
{
    open();
    highlight("Abba");
    host->press(*list, "?More");
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    const rt::Rect button = (*list)["?More"].geometry();
    EXPECT_EQ(menu->def().at.x, button.x);
    EXPECT_EQ(menu->def().at.y, button.y + button.height) << "the button is high in the window";
    ASSERT_TRUE(menu->choose("Album"));
    host->settle();
    rt::Window* form = window("UpdateAlbum");
    ASSERT_TRUE(form);
    EXPECT_EQ((*form)["?Album"].value(), "Arrival");
    cancel("UpdateAlbum");
}

TEST_F(SongLists, HeaderSortsAndFiltersKeepTheTabsRange)
{
    hold(dictionary::Categories(), "CAT:KeyCategory", "CAT:Category", "Rock");
    open();
    host->choose(*list, "?CurrentTab", 6); // By Category: Abba, Cher
    clickHeader(3); // Album, a column outside the key
    clickHeader(3);
    EXPECT_EQ(column(2), (Strings{"Believe", "Arrival"}));
    EXPECT_EQ(artists(), (Strings{"Cher", "Abba"}));

    highlight("Abba");
    host->listMouse(*list, "?Browse", rt::ListMouse::RightDown, host->listPoint(*list, "?Browse", 2, 1));
    list->post(BrovexList::kAddFilterEqual);
    host->settle();
    EXPECT_EQ(artists(), (Strings{"Abba"}));
    list->post(BrovexList::kCancelFilter);
    host->settle();
    EXPECT_EQ(artists(), (Strings{"Cher", "Abba"})) << "the filter goes, the tab's range stays";

    host->choose(*list, "?CurrentTab", 5); // By Media: the one the user selects
    host->press(*list, "?SelectMedia");
    rt::Window* media = host->window("BrowseMedia");
    ASSERT_TRUE(media && media->isOpen());
    host->choose(*media, "?Browse:1", 1); // CD, LP
    host->press(*media, "?Select");
    EXPECT_EQ(column(4), (Strings{"CD001", "CD003"}));
    clickHeader(1);
    EXPECT_EQ(artists(), (Strings{"Abba", "Cher"}));
    clickHeader(1);
    EXPECT_EQ(artists(), (Strings{"Cher", "Abba"}));
}

TEST_F(SongLists, AQueryNarrowsTheTabsRangeUntilReset)
{
    SetQueryWizardTexts();
    hold(dictionary::Categories(), "CAT:KeyCategory", "CAT:Category", "Rock");
    open();
    host->choose(*list, "?CurrentTab", 6); // Abba, Cher
    EXPECT_FALSE((*list)["?Reset"].enabled());
    host->press(*list, "?Query");
    rt::Window& w = *host->window("QueryWizard");
    host->press(w, "?And");
    host->choose(w, "?Fields", 2); // after the media format: the song's artist
    host->press(w, "?Next");
    host->choose(w, "?Operations", 1); // Is Equal To
    host->press(w, "?Next");
    host->enter(w, "?Value", "CHER");
    host->press(w, "?Next");
    host->press(w, "?Finish");
    EXPECT_EQ(artists(), (Strings{"Cher"}));
    host->choose(*list, "?CurrentTab", 1);
    EXPECT_EQ(artists(), (Strings{"Cher"})) << "the query holds on every tab";
    host->press(*list, "?Reset");
    EXPECT_EQ(artists(), (Strings{"Aaron Neville", "Abba", "Bob Dylan", "Cher"}));
    EXPECT_FALSE((*list)["?Reset"].enabled());
}

TEST_F(SongLists, ARowDraggedAwayHandsOverTheSongsId)
{
    open();
    host->start("TestSongDrop", [] { CatalogueList("TestSongDrop").Execute(); });
    rt::Window* target = host->window("TestSongDrop");
    ASSERT_TRUE(target);
    const std::string id = column(16)[2]; // Bob Dylan's
    ASSERT_NE(id, "0");
    host->drag(*list, "?Browse", 3, *target, "?List", 0);
    EXPECT_EQ(box().dropText(), id);
    host->press(*target, "?Close");
}

TEST_F(SongLists, ToolsNotThereYetAreSaidPlainly)
{
    open();
    for (const auto& [button, text] : {std::pair{"?Import", "The song import is not available yet."},
             std::pair{"?ExportAll", "The song export is not available yet."}}) {
        host->press(*list, button);
        EXPECT_EQ(said(), text);
    }
}

// The explorer style.
class ExplorerSongs : public SongLists
{
protected:
    ExplorerSongs() { procedure = "BrovexSongs"; }
    void SetUp() override
    {
        report::ensureFontSystem();
        rt::setPrintService(&printer);
        SongLists::SetUp();
    }
    void TearDown() override
    {
        SongLists::TearDown();
        rt::setPrintService(nullptr);
    }

    KeptJobs printer;
};

TEST_F(ExplorerSongs, TheListShowsTheCategorysOwnNameInArtistOrder)
{
    open();
    EXPECT_EQ(list->title(), "Songs - 4 entries");
    EXPECT_EQ(artists(), (Strings{"Aaron Neville", "Abba", "Bob Dylan", "Cher"}));
    EXPECT_EQ(column(5), (Strings{"", "Rock", "Jazz", "Rock"}));
    clickHeader(6);
    EXPECT_EQ(column(5), (Strings{"", "Jazz", "Rock", "Rock"}));
}

TEST_F(ExplorerSongs, CopyAddsACopyOfTheHighlightedSongAndIsOffWithNoSongs)
{
    open();
    highlight("Cher");
    host->press(*list, "?Copy");
    rt::Window* form = window("UpdateSong");
    ASSERT_TRUE(form && form->isOpen());
    EXPECT_EQ(form->title(), "Add Song");
    EXPECT_EQ((*form)["?Title"].value(), "Believe");
    EXPECT_EQ((*form)["?Artist"].value(), "Cher") << "a song on no album keeps its own artist";
    host->press(*form, "?OK");
    cancel("UpdateSong");
    EXPECT_EQ(songTitles(), (Strings{"Believe", "Believe", "Hurricane", "Tell It Like It Is", "Waterloo"}));
    EXPECT_FALSE(window("UpdateAlbum"));
    EXPECT_FALSE(window("BrowseArtists"));

    reopenWithNoSongs();
    EXPECT_FALSE((*list)["?Copy"].enabled());
}

TEST_F(ExplorerSongs, PrintPrintsTheListThroughThePreviewer)
{
    open();
    const std::string before = box().property(rt::list_prop::ColumnSelect);
    host->press(*list, "?Print");
    rt::Window* previewer = host->window("PrintPreview");
    ASSERT_NE(previewer, nullptr) << "every song previewed first";
    host->press(*previewer, "?Print");
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].documentName, list->title());
    EXPECT_EQ(box().property(rt::list_prop::ColumnSelect), before) << "the selection stays by rows";
}

} // namespace
} // namespace qv::qvls::testing
