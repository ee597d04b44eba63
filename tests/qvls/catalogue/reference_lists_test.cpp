// The media formats, categories and artists, driven as a user drives them:
// from their lists through their forms, and as the lookups other windows
// call to choose a record.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/frame_services.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

// One reference list with its form, as the user meets them.
struct Reference {
    const char* list;
    const char* form;
    const char* label; // the table
    const char* field; // its one listed field
    const char* entry; // the form's entry for it
    const char* addCaption;
    const char* changeCaption;
};

const Reference kMedia{"BrowseMedia", "UpdateMedia", "Media", "MED:Media", "?Media", "Add Media", "Change Media"};
const Reference kCategories{"BrowseCategories", "UpdateCategories", "Categories", "CAT:Category", "?Category",
    "Add Category", "Change Category"};
const Reference kArtists{
    "BrowseArtists", "UpdateArtists", "Artists", "ART:Artist", "?Artist", "Add Artist", "Change Artist"};

class ReferenceLists : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "Categories", "Media", "Artists"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* m : {"CD", "LP", "Tape"})
            add(dictionary::Media(), {{"MED:Media", m}});
        for (const char* c : {"Rock", "Jazz", "Blues"})
            add(dictionary::Categories(), {{"CAT:Category", c}});
        for (const char* a : {"Abba", "Aaron Neville", "Björk", "Bob Dylan", "Cher"})
            add(dictionary::Artists(), {{"ART:Artist", a}});
        // Rock (1) has album 1 and its two songs on CD; Jazz (2) album 2 on LP.
        add(dictionary::Album(),
            {{"ALB:Album", "Blue"}, {"ALB:Artist", "Cher"}, {"ALB:Media", "CD"}, {"ALB:CategoryID", "1"},
                {"ALB:Category", "Rock"}});
        add(dictionary::Album(),
            {{"ALB:Album", "Red"}, {"ALB:Artist", "Abba"}, {"ALB:Media", "LP"}, {"ALB:CategoryID", "2"},
                {"ALB:Category", "Jazz"}});
        for (const char* title : {"One", "Two"})
            add(dictionary::Quorvel(),
                {{"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:Title", title}, {"SNG:Media", "CD"},
                    {"SNG:CategoryID", "1"}, {"SNG:Category", "Rock"}});
    }
    // Every stored value of a field, in key order of the table's first key.
    static std::vector<std::string> stored(Table& t, const char* field)
    {
        std::vector<std::string> out;
        const tables::Record keep = t.record();
        t.record().clear();
        t.setOrder(0);
        while (t.next() == 0)
            out.push_back(value(t, field));
        t.record() = keep;
        return out;
    }

    // Opens a list on a thread of its own, as the frame does, or as a lookup
    // (request 4) whose response lands in response.
    rt::Window* open(const Reference& r, int request = 0)
    {
        host->start(r.list, [this, r, request] {
            fw::handover().request = request;
            rt::Procedures::call(r.list);
            response = fw::handover().response;
        });
        return host->window(r.list);
    }
    rt::Window* form(const Reference& r) const
    {
        rt::Window* w = host->window(r.form);
        return w && w->isOpen() ? w : nullptr;
    }
    // Each window names its list as its kept layout keys need.
    static rt::Control& listIn(rt::Window& w)
    {
        for (const auto& c : w.controls())
            if (c->type() == rt::ControlType::List)
                return *c;
        throw std::logic_error("the window has no list");
    }
    static std::vector<std::string> rows(rt::Window& w)
    {
        std::vector<std::string> out;
        const rt::ListSource* l = listIn(w).list();
        for (int r = 0; r < l->rowCount(); ++r)
            out.push_back(std::string(text::trimRight(l->cell(r, 0))));
        return out;
    }
    static std::string highlighted(rt::Window& w)
    {
        const int row = listIn(w).selected();
        return row > 0 ? std::string(text::trimRight(listIn(w).list()->cell(row - 1, 0))) : std::string();
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }

    int response = -1;
};

TEST_F(ReferenceLists, EachListAddsChangesAndDeletesThroughItsForm)
{
    struct Case {
        const Reference& ref;
        const char* added; // typed into the new record
        const char* renamed; // the change of the added record
        std::vector<std::string> after; // the list once the renamed record is deleted
    };
    const Case cases[] = {
        {kMedia, "MiniDisc", "Minidisc", {"CD", "LP", "Tape"}},
        {kCategories, "Folk", "Folk & Country", {"Blues", "Jazz", "Rock"}},
        {kArtists, "Dusty Springfield", "Dusty", {"Aaron Neville", "Abba", "Björk", "Bob Dylan", "Cher"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.ref.list);
        rt::Window* list = open(k.ref);
        ASSERT_TRUE(list);
        EXPECT_TRUE((*list)["?Select"].effectivelyHidden()) << "a list opened to browse chooses nothing";

        host->press(*list, "?Add");
        ASSERT_TRUE(form(k.ref));
        EXPECT_EQ(form(k.ref)->title(), k.ref.addCaption);
        host->enter(*form(k.ref), k.ref.entry, k.added);
        host->press(*form(k.ref), "?OK");
        EXPECT_FALSE(form(k.ref)) << message();
        EXPECT_EQ(highlighted(*list), k.added);

        host->press(*list, "?Change");
        ASSERT_TRUE(form(k.ref));
        EXPECT_EQ(form(k.ref)->title(), k.ref.changeCaption);
        EXPECT_EQ((*form(k.ref))[k.ref.entry].value(), k.added);
        host->enter(*form(k.ref), k.ref.entry, k.renamed);
        host->press(*form(k.ref), "?OK");
        EXPECT_FALSE(form(k.ref)) << message();
        EXPECT_EQ(highlighted(*list), k.renamed);

        host->press(*list, "?Delete");
        ASSERT_TRUE(host->messageBox());
        host->answer(rt::button::Yes);
        EXPECT_EQ(rows(*list), k.after);
        host->press(*list, "?Close");
        EXPECT_EQ(response, fw::response::Cancelled);
    }
}

TEST_F(ReferenceLists, AsALookupEachListHandsTheChosenRecordToItsCaller)
{
    struct Case {
        const Reference& ref;
        int row;
        const char* chosen;
    };
    for (const Case& k : {Case{kMedia, 2, "LP"}, Case{kCategories, 2, "Jazz"}, Case{kArtists, 4, "Bob Dylan"}}) {
        SCOPED_TRACE(k.ref.list);
        Table& table = dictionary::accessOf(k.ref.label)->table();
        rt::Window* list = open(k.ref, fw::request::Select);
        ASSERT_TRUE(list);
        EXPECT_EQ((*list)["?Close"].text(), "Cancel");
        host->choose(*list, listIn(*list).name(), k.row);
        host->press(*list, "?Select");
        EXPECT_EQ(host->window(k.ref.list), nullptr) << "the lookup has closed";
        EXPECT_EQ(response, fw::response::Completed);
        EXPECT_EQ(value(table, k.ref.field), k.chosen);

        list = open(k.ref, fw::request::Select);
        ASSERT_TRUE(list);
        host->press(*list, "?Close");
        EXPECT_EQ(response, fw::response::Cancelled);
    }
}

TEST_F(ReferenceLists, OpenedAgainFromTheMenuTheOpenListComesForwardButALookupAlwaysOpens)
{
    rt::Window* first = open(kArtists);
    ASSERT_TRUE(first);
    first->setIconized(true);
    host->start("again", [] { rt::Procedures::call("BrowseArtists"); });
    EXPECT_FALSE(first->iconized());
    int opened = 0;
    for (rt::Window* w : host->openWindows())
        opened += w->def().name == "BrowseArtists";
    EXPECT_EQ(opened, 1);

    rt::Window* lookup = open(kArtists, fw::request::Select);
    ASSERT_NE(lookup, first);
    host->press(*lookup, "?Close");
    host->press(*first, "?Close");
}

// F1 opens the manual at the window's own topic, in the list and in its form.
TEST_F(ReferenceLists, F1OpensTheManualAtTheWindowsTopic)
{
    const std::filesystem::path programFolder = collection("program");
    std::filesystem::create_directories(programFolder / "help");
    writeFile(programFolder / "help" / "index.html", "<html></html>");
    std::vector<std::string> opened;
    frameServices().programFolder = [&] { return programFolder.string() + "/"; };
    frameServices().openAddress = [&](std::string_view a) {
        opened.push_back(std::string(a.substr(a.find('#') + 1)));
        return 42;
    };
    rt::Window* list = open(kArtists);
    ASSERT_TRUE(list);
    host->key(*list, rt::key::F1);
    host->press(*list, "?Add");
    ASSERT_TRUE(form(kArtists));
    host->key(*form(kArtists), rt::key::F1);
    host->press(*form(kArtists), "?Cancel");
    host->press(*list, "?Close");
    resetFrameServices();
    EXPECT_EQ(opened, (std::vector<std::string>{"BrowseArtists", "UpdateArtists"}));
}

// Collections carried over from earlier versions keep the media list's
// layout under these keys; another name would lose it.
TEST_F(ReferenceLists, TheMediaListKeepsItsLayoutUnderItsKnownKeys)
{
    rt::Window* list = open(kMedia);
    ASSERT_TRUE(list);
    host->press(*list, "?Close");
    const std::string kept = readFile(collection("POSITION.INI"));
    const auto section = kept.find("[BrowseMedia]");
    ASSERT_NE(section, std::string::npos) << kept;
    for (const char* key : {"SRCFOriginal?Browse:1=", "SRCF?Browse:1="})
        EXPECT_NE(kept.find(key, section), std::string::npos) << key << " in\n" << kept;
}

TEST_F(ReferenceLists, ARenamedCategoryReachesItsAlbumsAndSongsAndARefusedOneChangesNothing)
{
    rt::Window* list = open(kCategories);
    ASSERT_TRUE(list);
    ASSERT_EQ(rows(*list), (std::vector<std::string>{"Blues", "Jazz", "Rock"}));

    // A name another category has: refused, the form stays, no copy moves.
    host->choose(*list, listIn(*list).name(), 3);
    host->press(*list, "?Change");
    ASSERT_TRUE(form(kCategories));
    host->enter(*form(kCategories), "?Category", "Jazz");
    host->press(*form(kCategories), "?OK");
    EXPECT_NE(message().find("Duplicate Key Error"), std::string::npos) << message();
    host->answer(rt::button::Ok);
    ASSERT_TRUE(form(kCategories));
    EXPECT_EQ(stored(dictionary::Album(), "ALB:Category"), (std::vector<std::string>{"Rock", "Jazz"}));
    EXPECT_EQ(stored(dictionary::Quorvel(), "SNG:Category"), (std::vector<std::string>{"Rock", "Rock"}));

    // A change of case is a rename too.
    host->enter(*form(kCategories), "?Category", "rock");
    host->press(*form(kCategories), "?OK");
    EXPECT_FALSE(form(kCategories)) << message();
    EXPECT_EQ(stored(dictionary::Album(), "ALB:Category"), (std::vector<std::string>{"rock", "Jazz"}));
    EXPECT_EQ(stored(dictionary::Quorvel(), "SNG:Category"), (std::vector<std::string>{"rock", "rock"}));

    // A category in use stays.
    host->press(*list, "?Delete");
    host->answer(rt::button::Yes);
    EXPECT_EQ(message().substr(0, 34), "Referential Integrity Delete Error") << message();
    host->answer(rt::button::Ok);
    EXPECT_EQ(rows(*list), (std::vector<std::string>{"Blues", "Jazz", "rock"}));
    host->press(*list, "?Close");
}

TEST_F(ReferenceLists, ARenamedMediaFormatReachesSongsAndAlbumsAndOneInUseCannotBeDeleted)
{
    rt::Window* list = open(kMedia);
    ASSERT_TRUE(list);
    host->press(*list, "?Change"); // CD, the first
    ASSERT_TRUE(form(kMedia));
    host->enter(*form(kMedia), "?Media", "Compact Disc");
    host->press(*form(kMedia), "?OK");
    EXPECT_FALSE(form(kMedia)) << message();
    EXPECT_EQ(stored(dictionary::Quorvel(), "SNG:Media"), (std::vector<std::string>{"Compact Disc", "Compact Disc"}));
    EXPECT_EQ(stored(dictionary::Album(), "ALB:Media"), (std::vector<std::string>{"Compact Disc", "LP"}));

    for (int row : {1, 2}) { // Compact Disc is on songs and an album, LP on an album only
        host->choose(*list, listIn(*list).name(), row);
        const std::string chosen = highlighted(*list);
        host->press(*list, "?Delete");
        host->answer(rt::button::Yes);
        EXPECT_EQ(message().substr(0, 34), "Referential Integrity Delete Error") << chosen << ": " << message();
        host->answer(rt::button::Ok);
    }
    EXPECT_EQ(rows(*list), (std::vector<std::string>{"Compact Disc", "LP", "Tape"}));
    host->press(*list, "?Close");
}

TEST_F(ReferenceLists, LettersTypedOnAListLocateTheFirstNameThatBeginsWithThem)
{
    // Categories jump on the last letter; artists gather what is typed,
    // ignoring case, and show it in the Locate: entry.
    rt::Window* categories = open(kCategories);
    ASSERT_TRUE(categories);
    host->key(*categories, 'J');
    EXPECT_EQ(highlighted(*categories), "Jazz");
    host->key(*categories, 'R');
    EXPECT_EQ(highlighted(*categories), "Rock");
    host->press(*categories, "?Close");

    rt::Window* artists = open(kArtists);
    ASSERT_TRUE(artists);
    for (int c : {'B', 'O'})
        host->key(*artists, c);
    EXPECT_EQ(highlighted(*artists), "Bob Dylan");
    EXPECT_TRUE(text::equalsNoCase(text::trimRight((*artists)["?Locate"].value()), "bo"));
    host->press(*artists, "?Close");
}

TEST_F(ReferenceLists, TheArtistFormAsksForANameAndWritesItInTheUsersCapitalisation)
{
    struct Case {
        const char* style;
        const char* typed;
        const char* shown;
    };
    for (const Case& k : {Case{"Mixed-case", "mc ray", "MC Ray"}, Case{"All uppercase", "mc ray", "MC RAY"}}) {
        SCOPED_TRACE(k.style);
        settings().Autocapstyle = k.style;
        rt::Window* list = open(kArtists);
        ASSERT_TRUE(list);
        host->press(*list, "?Add");
        rt::Window* f = form(kArtists);
        ASSERT_TRUE(f);
        host->enter(*f, "?Artist", "");
        host->press(*f, "?OK");
        EXPECT_EQ(message(), "Missing Information: \"Artist\" must be entered.");
        host->answer(rt::button::Ok);
        ASSERT_TRUE(form(kArtists));

        host->enter(*f, "?Artist", k.typed);
        host->press(*f, "?Capitalize");
        EXPECT_EQ((*f)["?Artist"].value().substr(0, 6), k.shown);
        host->enter(*f, "?Bio", "A singer.");
        host->press(*f, "?OK");
        EXPECT_FALSE(form(kArtists)) << message();
        EXPECT_EQ(highlighted(*list), k.shown);
        host->press(*list, "?Delete");
        host->answer(rt::button::Yes);
        host->press(*list, "?Close");
    }
}

TEST_F(ReferenceLists, AnArtistAddedFromAnAlbumStartsWithTheAlbumsArtist)
{
    dictionary::Album().record()["ALB:Artist"] = "Nina Simone";
    rt::Window* list = open(kArtists, fw::request::Select);
    ASSERT_TRUE(list);
    host->press(*list, "?Add");
    ASSERT_TRUE(form(kArtists));
    EXPECT_EQ(text::trimRight((*form(kArtists))["?Artist"].value()), "Nina Simone");
    host->press(*form(kArtists), "?OK");
    EXPECT_EQ(highlighted(*list), "Nina Simone");
    host->press(*list, "?Select");
    EXPECT_EQ(value(dictionary::Artists(), "ART:Artist"), "Nina Simone");
}

} // namespace
} // namespace qv::qvls::testing
