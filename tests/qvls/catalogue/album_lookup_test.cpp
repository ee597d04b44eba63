// The album lookup, called as the song form and the tools call it: with the
// select request, driven through its tabs, locators, category choice and the
// album form behind "&Change", and read back from the album record buffer.

#include "qvls/catalogue/catalogue_fixture.h"

#include <algorithm>

#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

constexpr const char* kLookup = "SelectAlbum";
const char* const kTabs[] = {"?AlbumTab", "?ArtistTab", "?FileNumberTab", "?CategoryAlbumTab", "?CategoryArtistTab"};
const char* const kTables[] = {"Quorvel", "Album", "AlbumDetails", "Media", "Categories", "Artists"};

class AlbumLookupTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : kTables)
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* c : {"Rock", "Jazz", "Blues"})
            add(dictionary::Categories(), {{"CAT:Category", c}});
        for (const char* m : {"CD", "LP", "Tape", "MiniDisc"})
            add(dictionary::Media(), {{"MED:Media", m}});
    }
    void TearDown() override
    {
        for (const char* label : kTables)
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    // Rock (1) has Abba's Waterloo and Cher's Believe: by title Cher comes
    // first, by artist Abba. Jazz (2) has Bob Dylan and Björk; Aaron
    // Neville has no category.
    void addAlbums()
    {
        struct Album {
            const char *artist, *title, *media, *fileNumber, *categoryId, *category;
        };
        for (const Album& a : {Album{"Abba", "Waterloo", "CD", "CD003", "1", "Rock"},
                 Album{"Bob Dylan", "Desire", "LP", "LP001", "2", "Jazz"},
                 Album{"Cher", "Believe", "Tape", "T002", "1", "Rock"},
                 Album{"Aaron Neville", "Warm Your Heart", "MiniDisc", "MD004", "0", ""},
                 Album{"Björk", "Post", "CD", "CD010", "2", "Jazz"}})
            add(dictionary::Album(),
                {{"ALB:Artist", a.artist}, {"ALB:Album", a.title}, {"ALB:Media", a.media},
                    {"ALB:FileNumber", a.fileNumber}, {"ALB:CategoryID", a.categoryId}, {"ALB:Category", a.category},
                    {"ALB:PLAYLIST", std::string("list of ") + a.title}, {"ALB:ReleaseDate", "1976"}});
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
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
        rt::Window* w = host->window(kLookup);
        return w && w->isOpen() ? w : nullptr;
    }
    // A column of the list, top down (0 artist, 1 title, 3 file number).
    static std::vector<std::string> column(rt::Window& w, int c = 0)
    {
        std::vector<std::string> out;
        const rt::ListSource* l = w["?Browse:1"].list();
        for (int r = 0; r < l->rowCount(); ++r)
            out.push_back(std::string(text::trimRight(l->cell(r, c))));
        return out;
    }
    static std::string highlighted(rt::Window& w)
    {
        const int row = w["?Browse:1"].selected();
        return row > 0 ? std::string(text::trimRight(w["?Browse:1"].list()->cell(row - 1, 0))) : std::string();
    }
    // The sheet's tab shown; the first until one is chosen.
    static int tab(const rt::Window& w) { return std::max(w["?CurrentTab"].selected(), 1); }
    static void type(rt::Window& w, rt::HeadlessHost& h, std::string_view keys)
    {
        for (char c : keys)
            h.key(w, c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }

    int response = -1;
};

TEST_F(AlbumLookupTest, TheChosenAlbumReachesTheCallerWholeAndCancelSaysSo)
{
    addAlbums();
    dictionary::Quorvel().record()["SNG:Title"] = "Being edited";
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Select Album - 5 entries");
    EXPECT_EQ((*w)["?Close"].text(), "Cancel");
    EXPECT_FALSE((*w)["?Select"].hidden());
    EXPECT_EQ(tab(*w), 1);
    EXPECT_EQ(column(*w, 1), (std::vector<std::string>{"Believe", "Desire", "Post", "Warm Your Heart", "Waterloo"}));
    EXPECT_EQ(column(*w, 5), (std::vector<std::string>{"Rock", "Jazz", "Jazz", "", "Rock"}));

    host->choose(*w, "?Browse:1", 2);
    host->press(*w, "?Select");
    EXPECT_EQ(host->window(kLookup), nullptr) << "the lookup has closed";
    EXPECT_EQ(response, fw::response::Completed);
    Table& albums = dictionary::Album();
    EXPECT_EQ(value(albums, "ALB:Album"), "Desire");
    EXPECT_EQ(value(albums, "ALB:Artist"), "Bob Dylan");
    EXPECT_EQ(value(albums, "ALB:FileNumber"), "LP001");
    EXPECT_EQ(albums.record()["ALB:AlbumID"].toInt(), 2);
    EXPECT_EQ(value(albums, "ALB:PLAYLIST"), "list of Desire") << "the whole album, not the list's fields";
    EXPECT_EQ(value(dictionary::Quorvel(), "SNG:Title"), "Being edited");

    w = open();
    ASSERT_TRUE(w);
    host->press(*w, "?Close");
    EXPECT_EQ(response, fw::response::Cancelled);
}

TEST_F(AlbumLookupTest, AnEmptyCollectionOffersNothingToSelectOrChange)
{
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), "Select Album - 0 entries");
    EXPECT_EQ((*w)["?Browse:1"].list()->rowCount(), 0);
    EXPECT_FALSE((*w)["?Select"].enabled());
    EXPECT_FALSE((*w)["?Change"].enabled());
    host->press(*w, "?Close");
    EXPECT_EQ(response, fw::response::Cancelled);
}

TEST_F(AlbumLookupTest, EachTabSortsByItsKeyAndTypingLocatesOnIt)
{
    addAlbums();
    holdCategory("Rock");
    struct Case {
        int tab;
        std::vector<std::string> order; // the artists, top down
        const char* typed;
        const char* located; // the artist then highlighted
        const char* entry; // the entry that shows what was typed
    };
    const Case cases[] = {
        {1, {"Cher", "Bob Dylan", "Björk", "Aaron Neville", "Abba"}, "po", "Björk", "?LocateAlbum"},
        {2, {"Aaron Neville", "Abba", "Björk", "Bob Dylan", "Cher"}, "bo", "Bob Dylan", "?LocateArtist"},
        {3, {"Abba", "Björk", "Bob Dylan", "Aaron Neville", "Cher"}, "lp", "Bob Dylan", "?LocateFileNumber"},
        // Rock's albums only: by title, then by artist.
        {4, {"Cher", "Abba"}, "wa", "Abba", "?LocateCategoryAlbum"},
        {5, {"Abba", "Cher"}, "c", "Cher", "?LocateCategoryArtist"},
    };
    rt::Window* w = open();
    ASSERT_TRUE(w);
    for (const Case& k : cases) {
        SCOPED_TRACE(kTabs[k.tab - 1]);
        host->choose(*w, "?CurrentTab", k.tab);
        EXPECT_EQ(column(*w), k.order);
        EXPECT_EQ(w->focus(), &(*w)["?Browse:1"]) << "the list takes the focus with its tab";
        for (int t = 1; t <= 5; ++t) {
            const rt::Control& tab = (*w)[kTabs[t - 1]];
            EXPECT_EQ(tab.font().bold, t == k.tab) << kTabs[t - 1];
            EXPECT_EQ(tab.text().ends_with("   "), t == k.tab) << "'" << tab.text() << "'";
        }
        type(*w, *host, k.typed);
        EXPECT_EQ(highlighted(*w), k.located);
        EXPECT_TRUE(text::equalsNoCase(text::trimRight((*w)[k.entry].value()), k.typed)) << k.entry;
    }
    EXPECT_EQ(w->title(), "Select Album - 5 entries") << "every album is counted, whatever a tab shows";
    host->press(*w, "?Select");
    EXPECT_EQ(response, fw::response::Completed);
    EXPECT_EQ(value(dictionary::Album(), "ALB:Album"), "Believe");
}

TEST_F(AlbumLookupTest, TheCategoryChosenOnOneCategoryTabIsTheOtherTabsToo)
{
    addAlbums();
    holdCategory("Rock");
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?CurrentTab", 4);
    host->press(*w, "?SelectCategoryAlbum");
    rt::Window* categories = host->window("BrowseCategories");
    ASSERT_TRUE(categories && categories->isOpen());
    host->choose(*categories, "?List", 2); // Blues, Jazz, Rock
    host->press(*categories, "?Select");
    EXPECT_EQ(column(*w), (std::vector<std::string>{"Bob Dylan", "Björk"})) << "Desire, Post";
    host->choose(*w, "?CurrentTab", 5);
    EXPECT_EQ(column(*w), (std::vector<std::string>{"Björk", "Bob Dylan"}));

    // A cancelled choice keeps the category, and so do rows of other
    // categories passing through the buffers on another tab.
    host->press(*w, "?SelectCategoryArtist");
    categories = host->window("BrowseCategories");
    ASSERT_TRUE(categories && categories->isOpen());
    host->choose(*categories, "?List", 3);
    host->press(*categories, "?Close");
    host->choose(*w, "?CurrentTab", 2);
    host->choose(*w, "?Browse:1", 2); // Abba, Rock
    host->choose(*w, "?CurrentTab", 4);
    EXPECT_EQ(column(*w), (std::vector<std::string>{"Bob Dylan", "Björk"}));
    EXPECT_EQ(w->title(), "Select Album - 5 entries");
    host->press(*w, "?Close");
}

TEST_F(AlbumLookupTest, ChangeOpensTheAlbumFormAndTheListShowsWhatItSaved)
{
    addAlbums();
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?Browse:1", 3); // Post
    host->press(*w, "?Change");
    rt::Window* form = host->window("UpdateAlbum");
    ASSERT_TRUE(form && form->isOpen());
    EXPECT_EQ(form->title(), "Change Album");
    EXPECT_EQ((*form)["?Album"].value(), "Post");
    host->enter(*form, "?Album", "Homogenic");
    host->press(*form, "?Cancel");
    EXPECT_EQ(message(), "Save Record: Do you want to save the changes to this record?");
    host->answer(rt::button::No);
    EXPECT_EQ(column(*w, 1), (std::vector<std::string>{"Believe", "Desire", "Post", "Warm Your Heart", "Waterloo"}));
    EXPECT_EQ(highlighted(*w), "Björk");

    host->press(*w, "?Change");
    form = host->window("UpdateAlbum");
    ASSERT_TRUE(form && form->isOpen());
    host->enter(*form, "?Album", "Homogenic");
    host->press(*form, "?OK");
    ASSERT_FALSE(host->window("UpdateAlbum") && host->window("UpdateAlbum")->isOpen()) << message();
    EXPECT_EQ(
        column(*w, 1), (std::vector<std::string>{"Believe", "Desire", "Homogenic", "Warm Your Heart", "Waterloo"}));
    EXPECT_EQ(highlighted(*w), "Björk");
    EXPECT_EQ(w->title(), "Select Album - 5 entries");

    host->press(*w, "?Select");
    EXPECT_EQ(response, fw::response::Completed);
    EXPECT_EQ(value(dictionary::Album(), "ALB:Album"), "Homogenic");
}

TEST_F(AlbumLookupTest, TheLastTabIsAlwaysWrittenAndComesBackOnlyWhenTheUserWantsIt)
{
    addAlbums();
    const auto albumTab = [] { return settingsIni().get("Settings", "AlbumTab"); };

    settings().SaveLastTab = 0;
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?CurrentTab", 3);
    host->press(*w, "?Close");
    EXPECT_EQ(albumTab(), "3");
    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tab(*w), 1) << "the tab of the window definition";
    EXPECT_EQ(column(*w, 1).front(), "Believe");
    host->press(*w, "?Close");
    EXPECT_EQ(albumTab(), "1");

    // The settings file's tab has the last word over the position file's.
    settings().SaveLastTab = 1;
    w = open();
    ASSERT_TRUE(w);
    host->choose(*w, "?CurrentTab", 3);
    host->press(*w, "?Close");
    EXPECT_NE(readFile(collection("POSITION.INI")).find("Tab:?CurrentTab=3"), std::string::npos);
    settingsIni().set("Settings", "AlbumTab", "2");
    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tab(*w), 2);
    EXPECT_EQ((*w)["?ArtistTab"].text(), "Artist   ");
    EXPECT_EQ(column(*w).front(), "Aaron Neville") << "the list follows the tab it opened on";
    host->press(*w, "?Close");

    // A tab the sheet does not have is left alone.
    settingsIni().set("Settings", "AlbumTab", "9");
    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tab(*w), 2);
    host->press(*w, "?Close");
}

TEST_F(AlbumLookupTest, OutsideALookupASecondOpeningBringsTheFirstForward)
{
    addAlbums();
    ASSERT_NE(host->startProcedure(kLookup), 0);
    rt::Window* first = host->window(kLookup);
    ASSERT_TRUE(first && first->isOpen());
    EXPECT_TRUE((*first)["?Select"].hidden()) << "nothing to select for";
    EXPECT_EQ((*first)["?Close"].text(), "Cl&ose");
    first->setIconized(true);
    ASSERT_NE(host->startProcedure(kLookup), 0);
    EXPECT_FALSE(first->iconized());
    int open = 0;
    for (const rt::Window* w : host->openWindows())
        open += w->def().name == kLookup;
    EXPECT_EQ(open, 1);
    host->press(*first, "?Close");
}

} // namespace
} // namespace qv::qvls::testing
