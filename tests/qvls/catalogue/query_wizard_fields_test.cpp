#include <gtest/gtest.h>

#include "catalogue_fixture.h"

#include "platform/expr/expression.h"
#include "platform/tables/bindings.h"
#include "qvls/catalogue/query_wizard_fields.h"

namespace qv::qvls {
namespace {

using Set = QueryWizardFields::Set;

TEST(QueryWizardFieldList, FirstAlbumRowIsPackedByteForByte)
{
    const std::string packed = QueryWizardFields::packed({Set::A});
    const std::string first = packed.substr(0, packed.find('\xAB') + 1);
    EXPECT_EQ(first,
        "Album Artist\xA6"
        "0\xA6"
        "ALB:Artist\xA6"
        "@s50\xA6"
        "50\xA6"
        "1\xA6"
        "1\xA6\xA6\xA6\xAB");
}

TEST(QueryWizardFieldList, EveryOwnerHandsOverItsRowsInOrder)
{
    const struct {
        const char* procedure;
        const char* queue;
        std::size_t rows;
        const char* firstDescription;
    } cases[] = {
        {"BrowseAlbums", "ALBUMS", 16, "Album Artist"},
        {"BrowseAlbumsAndSongs", "BALBUMS", 51, "Album Artist"},
        {"BrovexAlbums", "ALBUMS", 15, "Album Artist"},
        {"BrovexSongs", "SONGS", 36, "Media"},
        {"BrowseSongs", "SONGS", 36, "Media"},
        {"PrintAlbumsCustom", "SONGS", 15, "Album Artist"},
        {"PrintByFileNumber", "SONGS", 50, "Album Artist"},
        {"PrintSNG:SongsByMedia", "SONGS", 36, "Category"},
        {"PrintDJLog", "SONGS", 36, "Category"},
        {"BriefSNG:SongsByMedia", "SONGS", 35, "Artist (Song)"},
        {"PrintSongsCustom", "SONGS", 35, "Artist (Song)"},
    };
    EXPECT_EQ(QueryWizardFields::instances().size(), 29u);
    for (const auto& c : cases) {
        const QueryWizardFields::Instance* owner = QueryWizardFields::instance(c.procedure);
        ASSERT_NE(owner, nullptr) << c.procedure;
        EXPECT_EQ(owner->queueName, c.queue) << c.procedure;
        outside::FieldsQueue q;
        std::int32_t error = -1;
        outside::TC_ADDFIELDSQUEUEDATA(q, QueryWizardFields::packed(owner->sets), error);
        EXPECT_EQ(error, 0) << c.procedure;
        ASSERT_EQ(q.rows.size(), c.rows) << c.procedure;
        EXPECT_EQ(q.rows.front().QWFLDDESC, c.firstDescription) << c.procedure;
    }
    const auto& songs = QueryWizardFields::rows(Set::S);
    EXPECT_EQ(songs.back().QWFLDNAME, "SNG:Notes");
    EXPECT_EQ(songs.back().QWFLDLENGTH, 4096);
    EXPECT_EQ(
        QueryWizardFields::rows(Set::A).back().QWFLDOPTIONS, "Very Poor|Poor|Good|Very Good|Near Mint|Mint|Sealed");
}

class QueryWizardFieldsSetUp : public testing::CatalogueWindows
{ };

TEST_F(QueryWizardFieldsSetUp, EveryFieldIsANameOfItsRecord)
{
    tables::RecordBindings names;
    for (tables::Table* t : dictionary::allTables())
        names.add(*t);
    for (Set set : {Set::A, Set::S, Set::C, Set::M})
        for (const outside::TCQW_FIELDSQUEUE& f : QueryWizardFields::rows(set))
            EXPECT_GE(names.lookup(f.QWFLDNAME), 0) << f.QWFLDNAME;
}

TEST_F(QueryWizardFieldsSetUp, SongListsBindTheArtistLookup)
{
    expr::NameTable names;
    outside::FieldsQueue albums, songs;
    std::int32_t albumError = 0, songError = 0;
    QueryWizardFields::fill(albums, *QueryWizardFields::instance("BrowseAlbums"), albumError, &names);
    EXPECT_EQ(albums.name, "ALBUMS");
    EXPECT_EQ(albums.rows.size(), 16u);
    EXPECT_LT(names.lookup("SelectSNG:Artist"), 0);
    QueryWizardFields::fill(songs, *QueryWizardFields::instance("BrowseSongs"), songError, &names);
    EXPECT_EQ(songs.name, "SONGS");
    const int slot = names.lookup("SelectSNG:Artist");
    ASSERT_GE(slot, 0);
    EXPECT_TRUE(names.isProcedure(slot));
}

TEST_F(QueryWizardFieldsSetUp, ARefusedListIsToldOnceAndStopsLaterCalls)
{
    const QueryWizardFields::Instance nothing{"Nothing", "SONGS", {}};
    outside::FieldsQueue q;
    std::int32_t error = 0;
    host->start("Owner", [&] { QueryWizardFields::fill(q, nothing, error, nullptr); });
    rt::MessageBoxWindow* box = host->messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "An error has prevented the Query Wizard from initializing.");
    EXPECT_EQ(box->title(), "Query Wizard Error# " + std::to_string(outside::fieldlist_error::Empty));
    EXPECT_EQ(box->icon(), rt::Icon::Information);
    host->answer(rt::button::Ok);
    EXPECT_EQ(q.name, "SONGS");
    // A later call does nothing at all, not even add a good list.
    host->start(
        "Owner", [&] { QueryWizardFields::fill(q, *QueryWizardFields::instance("BrowseAlbums"), error, nullptr); });
    EXPECT_EQ(host->messageBox(), nullptr);
    EXPECT_TRUE(q.rows.empty());
}

TEST_F(QueryWizardFieldsSetUp, TheArtistLookupOffersTheArtistsFromTheSongsArtist)
{
    for (const char* label : {"Quorvel", "Artists"})
        ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
    for (const char* a : {"ABBA", "Bob Dylan", "Carole King"})
        add(dictionary::Artists(), {{"ART:Artist", a}});
    dictionary::Quorvel().record()["SNG:Artist"] = "Bob Dylan";
    expr::NameTable names;
    outside::FieldsQueue q;
    std::int32_t error = 0;
    QueryWizardFields::fill(q, *QueryWizardFields::instance("BrowseSongs"), error, &names);

    std::string answer = "-";
    const auto ask = [&] {
        host->start("Wizard", [&] { answer = expr::evaluate("SelectSNG:Artist()", names).value.toString(); });
        return host->window("BrowseArtists");
    };
    rt::Window* list = ask();
    ASSERT_NE(list, nullptr);
    rt::Control& rows = (*list)["?List"];
    ASSERT_GT(rows.selected(), 0);
    EXPECT_EQ(text::trimRight(rows.list()->cell(rows.selected() - 1, 0)), "Bob Dylan");
    host->choose(*list, "?List", rows.selected() + 1);
    host->press(*list, "?Select");
    EXPECT_EQ(text::trimRight(answer), "Carole King");

    list = ask();
    ASSERT_NE(list, nullptr);
    host->press(*list, "?Close");
    EXPECT_EQ(answer, "");
    for (const char* label : {"Quorvel", "Artists"})
        dictionary::accessOf(label)->close();
}

} // namespace
} // namespace qv::qvls
