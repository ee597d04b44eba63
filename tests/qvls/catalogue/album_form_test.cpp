// The album form, driven as a user drives it from the album list: adding,
// copying, changing and deleting albums with their notes and detail lines,
// the lookups of its entries, the album's fields carried into its songs, and
// what Cancel keeps and takes away.

#include "qvls/catalogue/catalogue_fixture.h"

#include <sqlite3.h>

#include "platform/expr/datetime.h"
#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

class AlbumFormTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "AlbumDetails", "Media", "Categories", "Artists"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* m : {"CD", "LP"})
            add(dictionary::Media(), {{"MED:Media", m}});
        for (const char* c : {"Rock", "Jazz"})
            add(dictionary::Categories(), {{"CAT:Category", c}});
        add(dictionary::Album(),
            {{"ALB:Album", "Blue"}, {"ALB:Artist", "Joni Mitchell"}, {"ALB:Media", "CD"}, {"ALB:FileNumber", "CD0007"},
                {"ALB:CDIdentifier", "0A0B0C"}, {"ALB:CategoryID", "1"}, {"ALB:Category", "Rock"}});
        add(dictionary::Album(),
            {{"ALB:Album", "Court and Spark"}, {"ALB:Artist", "Joni Mitchell"}, {"ALB:Media", "LP"}});
        for (const auto& [title, track] : {std::pair{"All I Want", "1"}, std::pair{"My Old Man", "2"}})
            add(dictionary::Quorvel(),
                {{"SNG:Title", title}, {"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", track},
                    {"SNG:Media", "CD"}});
        for (const auto& [label, seq] : {std::pair{"Producer", "1"}, std::pair{"Studio", "2"}, std::pair{"Cover", "3"}})
            add(dictionary::AlbumDetails(),
                {{"ADT:AlbumID", "1"}, {"ADT:Sequence", seq}, {"ADT:DATALABEL", label}, {"ADT:DATAVALUE", "x"}});
        settingsIni().set("Album", "FileNumber", "CD0041");
    }
    void TearDown() override
    {
        for (const char* label : {"Quorvel", "Album", "AlbumDetails", "Media", "Categories", "Artists"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    rt::Window* openList()
    {
        host->startProcedure("BrowseAlbums");
        list = host->window("BrowseAlbums");
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
        return list;
    }
    // The album form over the list, once a list button opened it.
    rt::Window* form() const
    {
        rt::Window* w = host->window("UpdateAlbum");
        return w && w->isOpen() ? w : nullptr;
    }
    rt::Window& edit(const char* button, int row = 0)
    {
        if (row)
            host->choose(*list, "?Browse:1", row);
        host->press(*list, button);
        if (!form())
            throw std::logic_error(std::string("no album form after ") + button + ": " + message());
        return *form();
    }
    void showTab(rt::Window& w, int tab) { host->choose(w, "?Sheet", tab); }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    // Every album as "title|artist", in title order.
    static std::vector<std::string> albums()
    {
        std::vector<std::string> out;
        Table& t = dictionary::Album();
        t.setOrder(t.def().keyIndex("ALB:KEYALBUM"));
        while (t.next() == 0)
            out.push_back(value(t, "ALB:Album") + "|" + value(t, "ALB:Artist"));
        return out;
    }
    static std::int64_t albumId(const std::string& title)
    {
        Table& t = dictionary::Album();
        t.setOrder(t.def().keyIndex("ALB:KEYALBUM"));
        while (t.next() == 0)
            if (value(t, "ALB:Album") == title)
                return t.record()["ALB:AlbumID"].toInt();
        return 0;
    }
    // The rows of a table that belong to an album, as "field" values in key order.
    static std::vector<std::string> children(
        Table& t, const char* key, const char* parent, std::int64_t id, const char* field)
    {
        std::vector<std::string> out;
        t.record().clear();
        t.record()[std::string_view(parent)] = id;
        t.setAt(t.def().keyIndex(key));
        while (t.next() == 0 && t.record()[std::string_view(parent)].toInt() == id)
            out.push_back(value(t, field));
        return out;
    }
    static std::vector<std::string> details(std::int64_t album)
    {
        return children(dictionary::AlbumDetails(), "ADT:K_Album", "ADT:AlbumID", album, "ADT:DATALABEL");
    }
    static std::vector<std::string> songs(std::int64_t album)
    {
        return children(dictionary::Quorvel(), "SNG:KeyAlbumID", "SNG:AlbumID", album, "SNG:Title");
    }
    static std::string albumFileNumber(std::int64_t id)
    {
        Table& t = dictionary::Album();
        t.record()["ALB:AlbumID"] = id;
        return t.fetch(t.def().keyIndex("ALB:KEYALBUMID")) == 0 ? value(t, "ALB:FileNumber") : "<none>";
    }
    // An album's form opened on a thread of its own, as another window
    // (the album lookup, the CD player) opens one beside the list's.
    rt::Window* openAlbum(std::int64_t id, const char* thread)
    {
        host->start(thread, [id] {
            Table& a = dictionary::Album();
            a.record()["ALB:AlbumID"] = id;
            ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYALBUMID")), 0);
            fw::handover().request = fw::request::Change;
            rt::Procedures::call("UpdateAlbum");
        });
        return host->window("UpdateAlbum");
    }
    static std::string fileNumberCounter() { return settingsIni().get("Album", "FileNumber"); }

    rt::Window* list = nullptr;
};

TEST_F(AlbumFormTest, ANewAlbumWithNotesAndDetailsIsSavedAndTheFileNumberCountsOn)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    EXPECT_EQ(f.title(), "Add Album");
    EXPECT_EQ(f["?FileNumber"].value(), "CD0042");
    EXPECT_EQ(f.focus(), &f["?Artist"]) << (f.focus() ? f.focus()->name() : "none");
    host->enter(f, "?Artist", "Carole King");
    host->enter(f, "?Album", "Tapestry");
    host->enter(f, "?Media", "LP");
    host->enter(f, "?Category", "Rock");
    showTab(f, 3);
    host->enter(f, "?Notes", "Recorded in 1971.");

    showTab(f, 7);
    EXPECT_EQ(f.focus(), &f["?DetailList"]) << "the tab's list takes the focus";
    for (const char* label : {"Producer", "Label"}) {
        host->press(f, "?AddDetail");
        // Enter moves from the label to the value and writes the line.
        host->type(f, "?EditLabel", label);
        host->key(f, rt::key::Enter);
        EXPECT_EQ(f.focus(), &f["?EditValue"]);
        host->type(f, "?EditValue", "Ode");
        host->key(f, rt::key::Enter);
        EXPECT_TRUE(f["?EditValue"].hidden());
    }
    EXPECT_EQ(form(), &f) << "Enter in a line is not the form's OK";
    const std::int64_t id = dictionary::Album().record()["ALB:AlbumID"].toInt();
    EXPECT_EQ(details(id), (std::vector<std::string>{"Producer", "Label"})) << "lines are written as they are added";
    EXPECT_EQ(fileNumberCounter(), "CD0041") << "nothing handed out before the save";

    host->press(f, "?OK");
    ASSERT_FALSE(form()) << message();
    EXPECT_EQ(albums(),
        (std::vector<std::string>{"Blue|Joni Mitchell", "Court and Spark|Joni Mitchell", "Tapestry|Carole King"}));
    EXPECT_EQ(albumId("Tapestry"), id);
    const tables::Record& saved = dictionary::Album().record();
    EXPECT_EQ(saved.memo(saved.def().memoIndex("ALB:Notes")), "Recorded in 1971.");
    EXPECT_EQ(value(dictionary::Album(), "ALB:Media"), "LP");
    EXPECT_EQ(fileNumberCounter(), "CD0042");
}

TEST_F(AlbumFormTest, TheReleaseDateDefaultFollowsTheDatePicture)
{
    const std::int32_t today = expr::defaultClock().today();
    const std::int32_t thisYear = expr::ymdFromDate(today).year;
    for (const auto& [format, expected] : {std::pair<const char*, std::int64_t>{"d17", today}, {"n4b", thisYear}}) {
        SCOPED_TRACE(format);
        settings().DateFormat = format;
        ASSERT_TRUE(openList());
        rt::Window& f = edit("?Add");
        EXPECT_EQ(f["?ReleaseDate"].picture(), std::string("@") + format);
        EXPECT_EQ(dictionary::Album().record()["ALB:ReleaseDate"].toInt(), expected);
        host->press(f, "?Cancel");
        host->press(*list, "?Close");
    }
}

TEST_F(AlbumFormTest, ARefusedSaveKeepsTheFormAndHandsOutNoFileNumber)
{
    struct Case {
        const char* album;
        const char* artist;
        const char* cdSerial;
        const char* key; // the duplicate the message names
    };
    for (const Case& c :
        {Case{"Blue", "Joni Mitchell", "", "Album"}, Case{"Hejira", "Joni Mitchell", "0A0B0C", "CD"}}) {
        SCOPED_TRACE(c.album);
        ASSERT_TRUE(openList());
        rt::Window& f = edit("?Add");
        host->enter(f, "?Artist", c.artist);
        host->enter(f, "?Album", c.album);
        host->enter(f, "?Media", "CD");
        showTab(f, 5);
        host->enter(f, "?CDIdentifier", c.cdSerial);
        host->press(f, "?OK");
        EXPECT_NE(message().find(c.key), std::string::npos) << message();
        host->answer(rt::button::Ok);
        ASSERT_TRUE(form()) << "the form stays open";
        EXPECT_EQ(fileNumberCounter(), "CD0041");
        host->press(f, "?Cancel");
        host->answer(rt::button::No);
        EXPECT_FALSE(form());
        host->press(*list, "?Close");
    }
    EXPECT_EQ(albums().size(), 2u);
}

TEST_F(AlbumFormTest, ACopyTakesTheTitleWithCopyAndNoDiscIdentity)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Copy", 1);
    EXPECT_EQ(f.title(), "Add Album");
    EXPECT_EQ(f["?Album"].value(), "Blue - Copy");
    EXPECT_EQ(f["?Artist"].value(), "Joni Mitchell");
    EXPECT_EQ(f["?FileNumber"].value(), "CD0042");
    EXPECT_EQ(value(dictionary::Album(), "ALB:CDIdentifier"), "");
    host->press(f, "?OK");
    ASSERT_FALSE(form()) << message();
    EXPECT_EQ(albums(),
        (std::vector<std::string>{"Blue|Joni Mitchell", "Blue - Copy|Joni Mitchell", "Court and Spark|Joni Mitchell"}));
}

TEST_F(AlbumFormTest, ACancelledCopyAddsNothingAndTheNextAddStartsEmpty)
{
    ASSERT_TRUE(openList());
    host->press(edit("?Copy", 1), "?Cancel");
    ASSERT_FALSE(form()) << message();
    EXPECT_EQ(albums(), (std::vector<std::string>{"Blue|Joni Mitchell", "Court and Spark|Joni Mitchell"}));
    rt::Window& f = edit("?Add", 1);
    EXPECT_EQ(f["?Album"].value(), "") << "the copy was used up by the cancelled one";
    EXPECT_EQ(f["?Artist"].value(), "");
    host->press(f, "?Cancel");
}

TEST_F(AlbumFormTest, CancellingANewAlbumTakesAwayEverySongAndLineItAdded)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    const std::int64_t id = dictionary::Album().record()["ALB:AlbumID"].toInt();
    ASSERT_NE(id, 0) << "the id is reserved as the form opens";
    // Songs written while the form is open carry the reserved id.
    for (const char* title : {"One", "Two", "Three"})
        add(dictionary::Quorvel(), {{"SNG:Title", title}, {"SNG:AlbumID", std::to_string(id)}});
    showTab(f, 7);
    host->press(f, "?AddDetail");
    host->enter(f, "?EditLabel", "Producer");
    host->enter(f, "?EditValue", "Lou Adler");
    host->enter(f, "?Artist", "Carole King");

    host->press(f, "?Cancel");
    EXPECT_EQ(message(), "Save Record: Do you want to save the changes to this record?");
    host->answer(rt::button::No);
    EXPECT_FALSE(form());
    EXPECT_EQ(albums().size(), 2u);
    EXPECT_TRUE(songs(id).empty());
    EXPECT_TRUE(details(id).empty());
    EXPECT_EQ(songs(1).size(), 2u) << "other albums keep theirs";
}

// A new album whose reserved record the file will not let go keeps the user
// in the form, rather than leaving the album behind.
TEST_F(AlbumFormTest, ANewAlbumThatCannotBeTakenAwayKeepsTheFormOpen)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    const std::int64_t id = dictionary::Album().record()["ALB:AlbumID"].toInt();
    host->enter(f, "?Artist", "Carole King");
    Table& albums = dictionary::Album();
    const std::string table = albums.sqlTable().substr(albums.sqlTable().find('.') + 1);
    auto sql = [&](const std::string& text) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(albums.filePath().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    sql("CREATE TRIGGER keep BEFORE DELETE ON " + table + " BEGIN SELECT RAISE(ABORT, 'the disk says no'); END");
    host->press(f, "?Cancel");
    host->answer(rt::button::No);
    EXPECT_NE(message(), "") << "the failed delete is told";
    while (host->messageBox())
        host->answer(host->messageBox()->defaultAnswer());
    ASSERT_EQ(form(), &f);
    EXPECT_EQ(f.focus(), &f["?Artist"]);

    sql("DROP TRIGGER keep");
    host->press(f, "?Cancel");
    host->answer(rt::button::No);
    EXPECT_FALSE(form());
    albums.record()["ALB:AlbumID"] = id;
    EXPECT_NE(albums.fetch(albums.def().keyIndex("ALB:KEYALBUMID")), 0) << "the reserved album is gone";
}

TEST_F(AlbumFormTest, CancellingAChangeKeepsTheRecordAndWhatWasWrittenToItsLines)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    EXPECT_EQ(f.title(), "Change Album");
    host->enter(f, "?Album", "Blue (remastered)");
    showTab(f, 7);
    host->press(f, "?AddDetail");
    host->enter(f, "?EditLabel", "Engineer");
    host->enter(f, "?EditValue", "Henry Lewy");
    host->press(f, "?Cancel");
    host->answer(rt::button::No);
    EXPECT_FALSE(form());
    EXPECT_EQ(albumId("Blue"), 1);
    EXPECT_EQ(details(1), (std::vector<std::string>{"Producer", "Studio", "Cover", "Engineer"}));
    EXPECT_EQ(songs(1).size(), 2u);
}

// The line being typed is written before whatever the user does next, and
// always the line that was being typed, whatever row the list shows.
TEST_F(AlbumFormTest, ALineBeingTypedIsWrittenBeforeAnythingElseHappens)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 7);
    host->choose(f, "?DetailList", 1);
    host->press(f, "?ChangeDetail");
    host->type(f, "?EditLabel", "Produced by");
    host->choose(f, "?DetailList", 3);
    EXPECT_TRUE(f["?EditLabel"].hidden());
    EXPECT_EQ(details(1), (std::vector<std::string>{"Produced by", "Studio", "Cover"}));

    host->press(f, "?AddDetail");
    host->type(f, "?EditLabel", "Mastering");
    host->press(f, "?DetailTop");
    EXPECT_EQ(details(1), (std::vector<std::string>{"Mastering", "Produced by", "Studio", "Cover"}));

    // Esc gives a new line up.
    host->press(f, "?AddDetail");
    host->type(f, "?EditLabel", "Temporary");
    host->key(f, rt::key::Esc);
    EXPECT_EQ(details(1).size(), 4u);

    host->press(f, "?AddDetail");
    host->type(f, "?EditLabel", "Engineer");
    host->press(f, "?OK");
    EXPECT_FALSE(form()) << message();
    EXPECT_EQ(details(1), (std::vector<std::string>{"Mastering", "Produced by", "Studio", "Cover", "Engineer"}));
}

TEST_F(AlbumFormTest, AChangeIsSavedAndAltRightSavesAndOpensTheNextAlbumOnTheSameField)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    host->enter(f, "?FileNumber", "CD0008");
    f.select(f["?FileNumber"]);
    host->key(f, rt::key::withAlt(rt::key::Right));
    ASSERT_TRUE(form()) << message();
    EXPECT_EQ((*form())["?Album"].value(), "Court and Spark");
    EXPECT_EQ(form()->focus(), &(*form())["?FileNumber"]);
    EXPECT_EQ(fileNumberCounter(), "CD0041") << "a change hands out no file number";
    // Alt+Left saves and goes back.
    host->enter(*form(), "?FileNumber", "CD0009");
    host->key(*form(), rt::key::withAlt(rt::key::Left));
    ASSERT_TRUE(form()) << message();
    EXPECT_EQ((*form())["?Album"].value(), "Blue");
    EXPECT_EQ((*form())["?FileNumber"].value(), "CD0008");
    host->press(*form(), "?Cancel");
    EXPECT_EQ(albumFileNumber(2), "CD0009");

    // On a new album the keys do nothing.
    rt::Window& added = edit("?Add");
    host->key(added, rt::key::withAlt(rt::key::Right));
    EXPECT_EQ(form(), &added);
    EXPECT_EQ(added.title(), "Add Album");
}

TEST_F(AlbumFormTest, TheNameButtonsRewriteArtistAndTitle)
{
    settings().Autocapstyle = "Mixed-case";
    struct Case {
        const char* button;
        const char* artist; // typed
        const char* title;
        const char* artistAfter;
        const char* titleAfter;
    };
    const Case cases[] = {
        {"?SwapArtistName", "Mitchell, Joni", "blue", "Joni Mitchell", "blue"},
        {"?CapitalizeArtist", "joni mitchell", "blue", "Joni Mitchell", "blue"},
        {"?CapitalizeAlbum", "joni mitchell", "court and spark", "joni mitchell", "Court and Spark"},
        {"?SwapArtistAlbum", "Blue", "Joni Mitchell", "Joni Mitchell", "Blue"},
    };
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        host->enter(f, "?Artist", c.artist);
        host->enter(f, "?Album", c.title);
        host->press(f, c.button);
        EXPECT_EQ(f["?Artist"].value(), c.artistAfter);
        EXPECT_EQ(f["?Album"].value(), c.titleAfter);
    }
    // A rating outside 0 to 10 is refused on the spot.
    showTab(f, 6);
    host->enter(f, "?Rating", "11");
    EXPECT_NE(message().find("Range Error"), std::string::npos) << message();
    host->answer(rt::button::Ok);
    EXPECT_EQ(f.focus(), &f["?Rating"]);
    host->press(f, "?Cancel");
    host->answer(rt::button::No);
}

TEST_F(AlbumFormTest, OkOnANewAlbumCarriesItsTitleIntoTheSongsAddedMeanwhile)
{
    settings().CascadeMedia = 1;
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    const std::int64_t id = dictionary::Album().record()["ALB:AlbumID"].toInt();
    add(dictionary::Quorvel(), {{"SNG:Title", "So Far Away"}, {"SNG:AlbumID", std::to_string(id)}});
    host->enter(f, "?Artist", "Carole King");
    host->enter(f, "?Album", "Tapestry");
    host->enter(f, "?Media", "LP");
    host->press(f, "?OK");
    ASSERT_FALSE(form()) << message();
    Table& s = dictionary::Quorvel();
    s.record().clear();
    s.record()["SNG:AlbumID"] = id;
    s.setAt(s.def().keyIndex("SNG:KeyAlbumID"));
    ASSERT_EQ(s.next(), 0);
    EXPECT_EQ(value(s, "SNG:Album"), "Tapestry");
    EXPECT_EQ(value(s, "SNG:Media"), "LP");
}

TEST_F(AlbumFormTest, ADeleteAsksAndTakesTheAlbumsSongsAndLines)
{
    ASSERT_TRUE(openList());
    for (const auto& [answer, left] : {std::pair{rt::button::No, 2u}, std::pair{rt::button::Yes, 1u}}) {
        host->choose(*list, "?Browse:1", 1);
        host->press(*list, "?Delete");
        EXPECT_EQ(message(), "Confirm Delete: Are you sure you want to delete the highlighted record?");
        host->answer(answer);
        EXPECT_FALSE(form()) << "the window is never shown";
        EXPECT_EQ(albums().size(), left);
    }
    EXPECT_TRUE(songs(1).empty());
    EXPECT_TRUE(details(1).empty());
}

TEST_F(AlbumFormTest, TheListShowsItsCategoryTabsCountAndSaysWhatIsNotThereYet)
{
    // The caller's category is the Category tab's until the user picks another.
    dictionary::Categories().record()["CAT:CategoryID"] = 1;
    ASSERT_TRUE(openList());
    EXPECT_EQ(list->title(), "Albums - 2 entries");
    auto shown = [this] {
        std::vector<std::string> out;
        const rt::ListSource* rows = (*list)["?Browse:1"].list();
        for (int r = 0; r < rows->rowCount(); ++r)
            out.push_back(std::string(text::trimRight(rows->cell(r, 1))));
        return out;
    };
    EXPECT_EQ(shown(), (std::vector<std::string>{"Blue", "Court and Spark"}));
    host->choose(*list, "?CurrentTab", 4);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Blue"}));
    // Opening an album fetches its own category into the shared buffer; the
    // tab keeps the one it shows.
    edit("?Change", 1);
    host->press(*form(), "?Cancel");
    host->press(*list, "?SelectCategory");
    rt::Window* categories = host->window("BrowseCategories");
    ASSERT_TRUE(categories && categories->isOpen());
    host->choose(*categories, "?List", 1); // Jazz
    host->press(*categories, "?Select");
    EXPECT_TRUE(shown().empty());

    host->press(*list, "?AlbumWizard");
    EXPECT_EQ(message(), "Not Available: The album wizard is not available yet.");
    host->answer(rt::button::Ok);
    // Without an audio file, Play does nothing.
    host->choose(*list, "?CurrentTab", 1);
    host->press(*list, "?Play");
    EXPECT_EQ(host->messageBox(), nullptr);
}

TEST_F(AlbumFormTest, TheCategoryTabOfCategoryNoneShowsTheAlbumsWithoutOne)
{
    dictionary::Categories().record()["CAT:CategoryID"] = 0;
    ASSERT_TRUE(openList());
    host->choose(*list, "?CurrentTab", 4);
    const rt::ListSource* rows = (*list)["?Browse:1"].list();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(text::trimRight(rows->cell(0, 1)), "Court and Spark");
    EXPECT_EQ(list->title(), "Albums - 2 entries") << "the caption counts every album";
}

TEST_F(AlbumFormTest, TheArtistIsRequiredAndLookupsFillMediaAndCategory)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    host->press(f, "?OK");
    EXPECT_EQ(message(), "Missing Information: \"Artist\" must be entered.");
    host->answer(rt::button::Ok);
    ASSERT_TRUE(form());

    // A blank category is no category and asks nothing.
    host->enter(f, "?Category", "");
    EXPECT_EQ(host->window("BrowseCategories"), nullptr);
    EXPECT_EQ(dictionary::Album().record()["ALB:CategoryID"].toInt(), 0);
    // A known one takes its id.
    host->enter(f, "?Category", "jazz");
    EXPECT_EQ(dictionary::Album().record()["ALB:CategoryID"].toInt(), 2);
    // An unknown media opens the media list; leaving it keeps the user on the entry.
    host->enter(f, "?Media", "Wax");
    rt::Window* media = host->window("BrowseMedia");
    ASSERT_TRUE(media && media->isOpen());
    host->press(*media, "?Close");
    EXPECT_EQ(f.focus(), &f["?Media"]);
    // The list's choice is taken.
    host->enter(f, "?Media", "");
    media = host->window("BrowseMedia");
    ASSERT_TRUE(media && media->isOpen());
    host->choose(*media, "?Browse:1", 2);
    host->press(*media, "?Select");
    EXPECT_EQ(f["?Media"].value(), "LP");
}

TEST_F(AlbumFormTest, EachCascadeSettingCarriesItsFieldIntoTheSongsAtOnce)
{
    struct Case {
        int Settings::*setting;
        const char* entry;
        const char* typed;
        const char* songField;
        const char* songValue; // with the setting on; off, the song keeps its own
        const char* before;
    };
    const Case cases[] = {
        {&Settings::CascadeFileNumber, "?FileNumber", "CD0099", "SNG:FileNumber", "CD0099", ""},
        {&Settings::CascadeMedia, "?Media", "LP", "SNG:Media", "LP", "CD"},
        {&Settings::CascadeCategory, "?Category", "Jazz", "SNG:Category", "Jazz", ""},
        {&Settings::CascadeReleaseDate, "?ReleaseDate", "1971", "SNG:ReleaseDate", "1971", "0"},
    };
    settings().DateFormat = "n4b";
    for (const Case& c : cases)
        for (const bool on : {false, true}) {
            SCOPED_TRACE(std::string(c.entry) + (on ? " on" : " off"));
            settings().CascadeFileNumber = settings().CascadeMedia = settings().CascadeCategory
                = settings().CascadeReleaseDate = 0;
            settings().*c.setting = on;
            ASSERT_TRUE(openList());
            rt::Window& f = edit("?Change", 1);
            host->enter(f, c.entry, c.typed);
            Table& s = dictionary::Quorvel();
            s.record().clear();
            s.record()["SNG:AlbumID"] = 1;
            s.setAt(s.def().keyIndex("SNG:KeyAlbumID"));
            ASSERT_EQ(s.next(), 0);
            EXPECT_EQ(value(s, c.songField), on ? c.songValue : c.before);
            // Cancel keeps the album as it was, the songs as they were written.
            host->press(f, "?Cancel");
            host->answer(rt::button::No);
            s.record().clear();
            s.record()["SNG:AlbumID"] = 1;
            s.setAt(s.def().keyIndex("SNG:KeyAlbumID"));
            ASSERT_EQ(s.next(), 0);
            EXPECT_EQ(value(s, c.songField), on ? c.songValue : c.before);
            host->press(*list, "?Close");
            // The songs as they were for the next case.
            s.setOrder(-1);
            while (s.next() == 0) {
                s.record()[std::string_view(c.songField)] = std::string_view(c.before);
                s.update();
            }
        }
}

TEST_F(AlbumFormTest, DetailLinesMoveByButtonAndByDragAndKeepTheirGaps)
{
    // Sequence values with a gap: 1, 2, 5.
    Table& d = dictionary::AlbumDetails();
    d.record().clear();
    d.record()["ADT:AlbumID"] = 1;
    d.record()["ADT:Sequence"] = 3;
    ASSERT_EQ(d.fetch(d.def().keyIndex("ADT:K_Album")), 0);
    d.record()["ADT:Sequence"] = 5;
    ASSERT_EQ(d.update(), 0);

    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 7);
    host->choose(f, "?DetailList", 3);
    host->press(f, "?DetailUp");
    EXPECT_EQ(details(1), (std::vector<std::string>{"Producer", "Cover", "Studio"}));
    EXPECT_EQ(f["?DetailList"].selected(), 2) << "the moved line stays highlighted";
    host->press(f, "?DetailTop");
    EXPECT_EQ(details(1), (std::vector<std::string>{"Cover", "Producer", "Studio"}));
    host->press(f, "?DetailBottom");
    EXPECT_EQ(details(1), (std::vector<std::string>{"Producer", "Studio", "Cover"}));
    // The first line dragged onto the last lands below it.
    host->drag(f, "?DetailList", 1, f, "?DetailList", 3);
    EXPECT_EQ(details(1), (std::vector<std::string>{"Studio", "Cover", "Producer"}));
    // The values keep their gap.
    std::vector<std::string> sequences
        = children(dictionary::AlbumDetails(), "ADT:K_Album", "ADT:AlbumID", 1, "ADT:Sequence");
    EXPECT_EQ(sequences, (std::vector<std::string>{"1", "2", "5"}));
    host->press(f, "?OK");
    EXPECT_FALSE(form()) << message();
}

TEST_F(AlbumFormTest, TheSongsTabAddsSongsBelowTheHighlightedOneAndMovesThemWithinTheirSide)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    EXPECT_EQ(f.focus(), &f["?SongList"]);
    ASSERT_EQ(f["?SongList"].list()->rowCount(), 2);
    EXPECT_TRUE(f["?CopySong"].enabled());

    // A song added with the first song highlighted lands right below it,
    // with the album's fields.
    host->choose(f, "?SongList", 1);
    host->press(f, "?AddSong");
    rt::Window* song = host->window("UpdateSong");
    ASSERT_TRUE(song && song->isOpen()) << message();
    EXPECT_EQ((*song)["?Album"].value(), "Blue");
    EXPECT_EQ((*song)["?Artist"].value(), "Joni Mitchell");
    host->enter(*song, "?Title", "California");
    host->press(*song, "?OK");
    ASSERT_TRUE(song->isOpen()) << "the form stays for the next song: " << message();
    host->press(*song, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
    EXPECT_EQ(host->window("UpdateSong"), nullptr) << "the series ended";
    EXPECT_EQ(songs(1), (std::vector<std::string>{"All I Want", "California", "My Old Man"}));

    host->choose(f, "?SongList", 3);
    host->press(f, "?SongTop");
    EXPECT_EQ(songs(1), (std::vector<std::string>{"My Old Man", "All I Want", "California"}));
    host->press(f, "?OK");
    EXPECT_FALSE(form()) << message();
}

TEST_F(AlbumFormTest, TheSongListShowsEachSongsDisplayTitleAndTime)
{
    add(dictionary::Quorvel(),
        {{"SNG:Title", "River"}, {"SNG:Mix", "Live"}, {"SNG:Skips", "1"}, {"SNG:Time", std::to_string(245 * 100 + 1)},
            {"SNG:AlbumID", "1"}, {"SNG:Side", "2"}, {"SNG:TrackNumber", "1"}, {"SNG:Media", "CD"}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    const rt::ListSource* rows = f["?SongList"].list();
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->cell(2, 0), "2");
    EXPECT_EQ(rows->cell(2, 3), "River (Skips) (Live)");
    EXPECT_EQ(rows->cell(2, 4), " 4:05");
    EXPECT_EQ(rows->cell(0, 4), "     ") << "no time";
    EXPECT_EQ(rt::formatPicture(rows->cell(2, 0), "@p(<)p"), "(2)");
}

// Two albums open at once, each on a thread of its own: each form keeps to
// its own album's songs, and a song dragged from one to the other is copied.
TEST_F(AlbumFormTest, TwoOpenAlbumsKeepTheirOwnSongsAndADroppedSongIsCopied)
{
    add(dictionary::Quorvel(),
        {{"SNG:Title", "Help Me"}, {"SNG:AlbumID", "2"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "1"},
            {"SNG:Media", "LP"}});
    rt::Window* blue = openAlbum(1, "blue");
    ASSERT_TRUE(blue);
    rt::Window* court = openAlbum(2, "court");
    ASSERT_TRUE(court && court != blue);
    showTab(*blue, 2);
    showTab(*court, 2);
    // The Album buffer holds the second album now; the first form moves its own songs.
    host->choose(*blue, "?SongList", 1);
    host->press(*blue, "?SongDown");
    EXPECT_EQ(songs(1), (std::vector<std::string>{"My Old Man", "All I Want"}));
    EXPECT_EQ((*blue)["?SongList"].list()->rowCount(), 2);
    EXPECT_EQ((*blue)["?SongList"].list()->cell(0, 3), "My Old Man");

    host->drag(*court, "?SongList", 1, *blue, "?SongList", 1);
    std::vector<std::string> mine = songs(1);
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(mine, (std::vector<std::string>{"All I Want", "Help Me", "My Old Man"}));
    EXPECT_EQ(songs(2), std::vector<std::string>{"Help Me"}) << "the song stays on its own album";
    EXPECT_EQ((*blue)["?SongList"].list()->rowCount(), 3);
    for (rt::Window* w : {court, blue})
        host->press(*w, "?Cancel");
}

TEST_F(AlbumFormTest, EditAllSongsStopsAtTheFirstSongNotSaved)
{
    add(dictionary::Quorvel(),
        {{"SNG:Title", "River"}, {"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "3"}, {"SNG:Media", "CD"},
            {"SNG:Artist", "Joni Mitchell"}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    host->press(f, "?EditAllSongs");
    std::vector<std::string> shown;
    for (int answer = 0; answer < 3; ++answer) {
        rt::Window* song = host->window("UpdateSong");
        if (!song || !song->isOpen())
            break;
        shown.push_back((*song)["?Title"].value());
        if (answer == 0) {
            host->enter(*song, "?Artist", "Joni Mitchell");
            host->press(*song, "?OK");
        } else {
            host->press(*song, "?Cancel");
        }
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"All I Want", "My Old Man"})) << "the third is not shown";
    EXPECT_EQ(form(), &f);
}

TEST_F(AlbumFormTest, ANewAlbumsTotalTimeAddsItsSongsTimes)
{
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Add");
    host->enter(f, "?Artist", "Carole King");
    host->enter(f, "?Album", "Tapestry");
    host->enter(f, "?Media", "LP");
    showTab(f, 2);
    EXPECT_FALSE(f["?CopySong"].enabled()) << "nothing to copy yet";
    host->press(f, "?AddSong");
    rt::Window* song = host->window("UpdateSong");
    ASSERT_TRUE(song && song->isOpen());
    for (const auto& [title, time] : {std::pair{"One", "0:01:00"}, {"Two", "0:02:00"}, {"Three", "0:03:00"}}) {
        host->enter(*song, "?Title", title);
        host->enter(*song, "?Time", time);
        host->press(*song, "?OK");
    }
    host->press(*song, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
    EXPECT_EQ(dictionary::Album().record()["ALB:TotalTime"].toInt(), 360 * 100 + 1);
    EXPECT_TRUE(f["?CopySong"].enabled());
    EXPECT_EQ(f["?SongList"].list()->rowCount(), 3);
    host->press(f, "?OK");
    EXPECT_FALSE(form()) << message();
}

TEST_F(AlbumFormTest, ReassignTakesTheSongsFiledUnderTheAlbumsNumberWithoutRegardToCase)
{
    for (const auto& [title, media, number] : {std::tuple{"Little Green", "CD", "cd0007"}, {"Carey", "CD", "Cd0007"},
             {"Elsewhere", "CD", "CD0008"}, {"On Vinyl", "LP", "CD0007"}})
        add(dictionary::Quorvel(), {{"SNG:Title", title}, {"SNG:Media", media}, {"SNG:FileNumber", number}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    host->press(f, "?ReassignSongs");
    EXPECT_EQ(message(),
        "Assign Songs To Album: Do you want to assign all songs with file number \"CD0007\" and "
        "media type \"CD\" to this album?");
    host->answer(rt::button::Yes);
    EXPECT_EQ(message(), "Process complete.: 2 songs assigned.");
    host->answer(rt::button::Ok);
    std::vector<std::string> mine = songs(1);
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(mine, (std::vector<std::string>{"All I Want", "Carey", "Little Green", "My Old Man"}));
    EXPECT_EQ(f["?SongList"].list()->rowCount(), 4);
}

TEST_F(AlbumFormTest, ReplaceTextKeepsTrailingBlanksAndNeverWritesPastTheField)
{
    const std::string full(48, 'x');
    add(dictionary::Quorvel(),
        {{"SNG:Title", "a b a c"}, {"SNG:AlbumID", "2"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "1"},
            {"SNG:Media", "LP"}, {"SNG:FileNumber", "cd-07"}});
    add(dictionary::Quorvel(),
        {{"SNG:Title", "a " + full}, {"SNG:AlbumID", "2"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "2"},
            {"SNG:Media", "LP"}, {"SNG:FileNumber", "cd-08"}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 2);
    showTab(f, 2);
    struct Case {
        const char* within;
        const char* find;
        const char* with;
        std::vector<std::string> titles;
        std::vector<std::string> numbers;
        bool cancel = false;
    };
    const Case cases[] = {
        {"Title", "a ", "the ", {"the b the c", "the " + full.substr(0, 46)}, {"cd-07", "cd-08"}},
        {"File Number", "cd-", "CD", {"the b the c", "the " + full.substr(0, 46)}, {"CD07", "CD08"}},
        {"Title", "the", "a", {"the b the c", "the " + full.substr(0, 46)}, {"CD07", "CD08"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.within) + " " + c.find);
        host->post(f, rt::Event{rt::event::AlertKey, f["?SongList"].number(), rt::key::MouseRight});
        auto* menu = host->dialog<fw::PopupMenuWindow>();
        ASSERT_TRUE(menu);
        ASSERT_TRUE(menu->choose("Replace Text..."));
        host->settle();
        rt::Window* ask = host->window("Replace...");
        ASSERT_TRUE(ask && ask->isOpen());
        host->enter(*ask, "?Within", c.within);
        host->enter(*ask, "?Find", c.find);
        host->enter(*ask, "?With", c.with);
        host->press(*ask, c.cancel ? "?Cancel" : "?OK");
        EXPECT_EQ(children(dictionary::Quorvel(), "SNG:KeyAlbumID", "SNG:AlbumID", 2, "SNG:Title"), c.titles);
        EXPECT_EQ(children(dictionary::Quorvel(), "SNG:KeyAlbumID", "SNG:AlbumID", 2, "SNG:FileNumber"), c.numbers);
    }
}

TEST_F(AlbumFormTest, ReassignOneSongTakesTheSongChosenInTheLookup)
{
    add(dictionary::Quorvel(), {{"SNG:Title", "Loose"}, {"SNG:Artist", "Someone"}, {"SNG:Media", "CD"}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    host->choose(f, "?SongList", 1); // a highlighted song of the album
    host->press(f, "?ReassignSongs");
    host->answer(rt::button::No); // one song only
    rt::Window* lookup = host->window("SelectFileNumber");
    ASSERT_TRUE(lookup && lookup->isOpen());
    const rt::ListSource* found = (*lookup)["?Browse"].list();
    int row = 0;
    for (int r = 0; r < found->rowCount(); ++r)
        if (text::trimRight(found->cell(r, 1)) == "Loose")
            row = r + 1;
    ASSERT_NE(row, 0);
    host->choose(*lookup, "?Browse", row);
    host->press(*lookup, "?Select");
    std::vector<std::string> mine = songs(1);
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(mine, (std::vector<std::string>{"All I Want", "Loose", "My Old Man"}));
}

TEST_F(AlbumFormTest, TwoOpenAlbumsEachAddSongsToThemselves)
{
    rt::Window* blue = openAlbum(1, "blue");
    rt::Window* court = openAlbum(2, "court");
    ASSERT_TRUE(blue && court && blue != court);
    showTab(*blue, 2);
    host->press(*blue, "?AddSong");
    rt::Window* song = host->window("UpdateSong");
    ASSERT_TRUE(song && song->isOpen());
    EXPECT_EQ((*song)["?Album"].value(), "Blue") << "the album of the form that asked";
    host->enter(*song, "?Title", "California");
    host->press(*song, "?OK");
    host->press(*song, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
    EXPECT_EQ(songs(1).size(), 3u);
    EXPECT_TRUE(songs(2).empty());
    // The other form's record is its own again when it is used next.
    host->enter(*court, "?FileNumber", "LP0002");
    host->press(*court, "?OK");
    EXPECT_EQ(albumFileNumber(2), "LP0002");
    EXPECT_EQ(albumFileNumber(1), "CD0007");
    host->press(*blue, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
}

TEST_F(AlbumFormTest, SwapArtistTitlesWorksFromTheChosenSideOn)
{
    add(dictionary::Quorvel(),
        {{"SNG:Title", "Side Two"}, {"SNG:Artist", "Joni"}, {"SNG:AlbumID", "1"}, {"SNG:Side", "2"},
            {"SNG:TrackNumber", "1"}, {"SNG:Media", "CD"}});
    ASSERT_TRUE(openList());
    rt::Window& f = edit("?Change", 1);
    showTab(f, 2);
    host->enter(f, "?Side", "2");
    host->post(f, rt::Event{rt::event::AlertKey, f["?SongList"].number(), rt::key::MouseRight});
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->choose("Swap Artist/Titles"));
    host->settle();
    Table& t = dictionary::Quorvel();
    t.setOrder(-1);
    std::vector<std::string> seen;
    while (t.next() == 0)
        seen.push_back(value(t, "SNG:Artist") + "/" + value(t, "SNG:Title"));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"/All I Want", "/My Old Man", "Side Two/Joni"}));
}

} // namespace
} // namespace qv::qvls::testing
