// The song lookup, called as the album and playlist forms call it: with the
// select request, driven through its tabs, locators and category choice,
// and read back from the songs' record buffer.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

constexpr const char* kLookup = "SelectFileNumber";
const char* const kTabs[] = {"?ArtistTab", "?TitleTab", "?AlbumTab", "?MediaTab", "?CategoryTab", "?ChartTab"};

class SongLookupTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "Categories"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* c : {"Rock", "Jazz", "Blues"})
            add(dictionary::Categories(), {{"CAT:Category", c}});
    }
    // Rock (1) has Abba and Cher; Jazz (2) Bob Dylan; Aaron Neville has no
    // category and Björk's category 9 does not exist.
    void addSongs()
    {
        struct Song {
            const char *artist, *title, *album, *media, *fileNumber, *category, *chart;
        };
        for (const Song& s : {Song{"Abba", "Waterloo", "Arrival", "CD", "CD001", "1", "1"},
                 Song{"Bob Dylan", "Hurricane", "Desire", "LP", "LP002", "2", "3"},
                 Song{"Cher", "Believe", "Believe", "Tape", "T003", "1", "2"},
                 Song{"Aaron Neville", "Tell It Like It Is", "Warm Your Heart", "MiniDisc", "MD004", "0", "0"},
                 Song{"Björk", "Army of Me", "Post", "CD", "CD010", "9", "0"}})
            add(dictionary::Quorvel(),
                {{"SNG:Artist", s.artist}, {"SNG:Title", s.title}, {"SNG:Album", s.album}, {"SNG:Media", s.media},
                    {"SNG:FileNumber", s.fileNumber}, {"SNG:CategoryID", s.category}, {"SNG:ChartNumber", s.chart},
                    {"SNG:ReleaseDate", "1974"}, {"SNG:AdditionalInformation1", std::string("about ") + s.title}});
    }

    // Puts a category into the Categories buffer, as a caller leaves it.
    static void holdCategory(const char* name)
    {
        Table& t = dictionary::Categories();
        t.record().clear();
        t.record()["CAT:Category"] = name;
        ASSERT_EQ(t.fetch(t.def().keyIndex("CAT:KeyCategory")), 0) << name;
    }

    // Called as a form calls it: request 4 on the caller's own thread.
    rt::Window* open(int request = fw::request::Select)
    {
        host->start("caller", [this, request] {
            fw::handover().request = request;
            rt::Procedures::call(kLookup);
            response = fw::handover().response;
        });
        return host->window(kLookup);
    }
    static std::vector<std::string> column(rt::Window& w, int c)
    {
        std::vector<std::string> out;
        const rt::ListSource* l = w["?Browse"].list();
        for (int r = 0; r < l->rowCount(); ++r)
            out.push_back(std::string(text::trimRight(l->cell(r, c))));
        return out;
    }
    static std::string highlighted(rt::Window& w)
    {
        const int row = w["?Browse"].selected();
        return row > 0 ? std::string(text::trimRight(w["?Browse"].list()->cell(row - 1, 0))) : std::string();
    }
    static void type(rt::Window& w, rt::HeadlessHost& h, std::string_view keys)
    {
        for (char c : keys)
            h.key(w, c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    std::string positions() const { return readFile(collection("POSITION.INI")); }

    int response = -1;
};

TEST_F(SongLookupTest, TheChosenSongAndItsCategoryReachTheCallerAndCancelSaysSo)
{
    addSongs();
    dictionary::Album().record()["ALB:Album"] = "Being edited";
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Browse Music Database - 5 entries");
    EXPECT_EQ((*w)["?Close"].text(), "Cancel");
    EXPECT_EQ(column(*w, 0), (std::vector<std::string>{"Aaron Neville", "Abba", "Björk", "Bob Dylan", "Cher"}));
    // The category's own name, none where the id names no category.
    EXPECT_EQ(column(*w, 6), (std::vector<std::string>{"", "Rock", "", "Jazz", "Rock"}));
    EXPECT_EQ(column(*w, 4), (std::vector<std::string>{"MD004", "CD001", "CD010", "LP002", "T003"}));

    host->choose(*w, "?Browse", 4);
    host->press(*w, "?Select");
    EXPECT_EQ(host->window("SelectFileNumber"), nullptr) << "the lookup has closed";
    EXPECT_EQ(response, fw::response::Completed);
    Table& songs = dictionary::Quorvel();
    EXPECT_EQ(value(songs, "SNG:Title"), "Hurricane");
    EXPECT_EQ(value(songs, "SNG:FileNumber"), "LP002");
    EXPECT_EQ(value(songs, "SNG:AdditionalInformation1"), "about Hurricane") << "the whole song, not the list's fields";
    EXPECT_EQ(value(dictionary::Categories(), "CAT:Category"), "Jazz");
    EXPECT_EQ(value(dictionary::Categories(), "CAT:CategoryID"), "2");
    EXPECT_EQ(value(dictionary::Album(), "ALB:Album"), "Being edited");

    w = open();
    ASSERT_TRUE(w);
    host->press(*w, "?Close");
    EXPECT_EQ(response, fw::response::Cancelled);
}

TEST_F(SongLookupTest, AnEmptyCollectionOffersNothingToSelect)
{
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Browse Music Database - 0 entries");
    EXPECT_EQ((*w)["?Browse"].list()->rowCount(), 0);
    EXPECT_FALSE((*w)["?Select"].enabled());
    host->press(*w, "?Close");
    EXPECT_EQ(response, fw::response::Cancelled);
}

TEST_F(SongLookupTest, EachTabSortsByItsFieldAndTypingLocatesOnIt)
{
    addSongs();
    holdCategory("Rock");
    struct Case {
        int tab;
        std::vector<std::string> order; // the artists, top down
        const char* typed;
        const char* located; // the artist then highlighted
        std::vector<const char*> showing; // the entries that show what was typed
    };
    const Case cases[] = {
        {1, {"Aaron Neville", "Abba", "Björk", "Bob Dylan", "Cher"}, "ch", "Cher", {"?LocateArtist"}},
        {2, {"Björk", "Cher", "Bob Dylan", "Aaron Neville", "Abba"}, "h", "Bob Dylan", {"?LocateTitle"}},
        {3, {"Abba", "Cher", "Bob Dylan", "Björk", "Aaron Neville"}, "de", "Bob Dylan", {"?LocateAlbum"}},
        // By media, not by the file number beside it.
        {4, {"Abba", "Björk", "Bob Dylan", "Aaron Neville", "Cher"}, "lp", "Bob Dylan", {"?LocateMedia"}},
        // Rock's songs only, located by artist on both artist entries.
        {5, {"Abba", "Cher"}, "c", "Cher", {"?LocateCategoryArtist", "?LocateArtist"}},
        {6, {"Aaron Neville", "Björk", "Abba", "Cher", "Bob Dylan"}, "2", "Cher", {"?LocateChart"}},
    };
    rt::Window* w = open();
    ASSERT_TRUE(w);
    for (const Case& k : cases) {
        SCOPED_TRACE(kTabs[k.tab - 1]);
        host->choose(*w, "?CurrentTab", k.tab);
        EXPECT_EQ(column(*w, 0), k.order);
        for (int t = 1; t <= 6; ++t) {
            const rt::Control& tab = (*w)[kTabs[t - 1]];
            const bool current = t == k.tab;
            EXPECT_EQ(tab.font().bold, current) << kTabs[t - 1];
            EXPECT_EQ(tab.text().ends_with("   "), current) << "'" << tab.text() << "'";
        }
        type(*w, *host, k.typed);
        EXPECT_EQ(highlighted(*w), k.located);
        for (const char* entry : k.showing)
            EXPECT_TRUE(text::equalsNoCase(text::trimRight((*w)[entry].value()), k.typed)) << entry;
    }
    EXPECT_EQ(w->title(), "Browse Music Database - 5 entries") << "every song is counted, whatever a tab shows";

    // The media typed on the Media tab never becomes the song's file number.
    host->choose(*w, "?CurrentTab", 4);
    type(*w, *host, "lp");
    host->press(*w, "?Select");
    EXPECT_EQ(response, fw::response::Completed);
    EXPECT_EQ(value(dictionary::Quorvel(), "SNG:Artist"), "Bob Dylan");
    EXPECT_EQ(value(dictionary::Quorvel(), "SNG:FileNumber"), "LP002");
}

TEST_F(SongLookupTest, TheCategoryTabKeepsTheCategoryChosenForItWhileOtherTabsMove)
{
    addSongs();
    holdCategory("Rock");
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?CurrentTab", 5);
    EXPECT_EQ(column(*w, 0), (std::vector<std::string>{"Abba", "Cher"}));

    host->press(*w, "?SelectCategory");
    rt::Window* categories = host->window("BrowseCategories");
    ASSERT_TRUE(categories && categories->isOpen());
    host->choose(*categories, "?List", 2); // Blues, Jazz, Rock
    host->press(*categories, "?Select");
    EXPECT_EQ(column(*w, 0), (std::vector<std::string>{"Bob Dylan"}));
    EXPECT_EQ(w->title(), "Browse Music Database - 5 entries");

    // A cancelled choice changes nothing.
    host->press(*w, "?SelectCategory");
    categories = host->window("BrowseCategories");
    ASSERT_TRUE(categories && categories->isOpen());
    host->choose(*categories, "?List", 3);
    host->press(*categories, "?Close");
    EXPECT_EQ(column(*w, 0), (std::vector<std::string>{"Bob Dylan"}));

    // Rows of other categories pass through the buffers on the Artist tab.
    host->choose(*w, "?CurrentTab", 1);
    host->choose(*w, "?Browse", 2); // Abba, Rock
    host->choose(*w, "?CurrentTab", 5);
    EXPECT_EQ(column(*w, 0), (std::vector<std::string>{"Bob Dylan"}));
    host->press(*w, "?Close");
}

TEST_F(SongLookupTest, TheTabAndLayoutLeftAtCloseComeBackMarked)
{
    addSongs();
    settings().SaveLastTab = 1;
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?CurrentTab", 3);
    host->press(*w, "?Close");
    const std::string saved = positions();
    EXPECT_NE(saved.find("[SelectFileNumber]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Tab:?CurrentTab=3"), std::string::npos) << saved;
    EXPECT_NE(saved.find("SRCF?Browse="), std::string::npos) << saved;

    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?CurrentTab"].selected(), 3);
    EXPECT_EQ((*w)["?AlbumTab"].text(), "Album   ");
    EXPECT_TRUE((*w)["?AlbumTab"].font().bold);
    EXPECT_EQ((*w)["?ArtistTab"].text(), "Artist");
    EXPECT_EQ(column(*w, 2).front(), "Arrival");
    host->press(*w, "?Close");
}

} // namespace
} // namespace qv::qvls::testing
