// The album list's Query and Reset: a filter built in the query wizard
// narrows the list until Reset drops it; a cancelled wizard changes nothing.

#include "qvls/catalogue/catalogue_fixture.h"

#include "qvls/core/outside_texts.h"

namespace qv::qvls::testing {
namespace {

class AlbumListQuery : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        SetQueryWizardTexts();
        for (const char* label : {"Quorvel", "Album", "Categories"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [album, artist] :
            {std::pair{"Blue", "Joni Mitchell"}, std::pair{"Hejira", "joni mitchell"}, std::pair{"Aja", "Steely Dan"}})
            add(dictionary::Album(), {{"ALB:Album", album}, {"ALB:Artist", artist}, {"ALB:Media", "CD"}});
        host->startProcedure("BrowseAlbums");
        list = host->window("BrowseAlbums");
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override
    {
        host->press(*list, "?Close");
        for (const char* label : {"Quorvel", "Album", "Categories"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }
    int rows() const { return (*list)["?Browse:1"].list()->rowCount(); }

    // Artist Is Equal To the text, through the wizard's pages.
    rt::Window& askFor(const std::string& artist)
    {
        host->press(*list, "?Query");
        rt::Window& w = *host->window("QueryWizard");
        host->press(w, "?And");
        host->choose(w, "?Fields", 1);
        host->press(w, "?Next");
        host->choose(w, "?Operations", 1);
        host->press(w, "?Next");
        host->enter(w, "?Value", artist);
        host->press(w, "?Next");
        return w;
    }

    rt::Window* list = nullptr;
};

TEST_F(AlbumListQuery, QueryNarrowsTheListUntilReset)
{
    EXPECT_EQ(rows(), 3);
    EXPECT_FALSE((*list)["?Reset"].enabled());
    rt::Window& wizard = askFor("JONI MITCHELL"); // case-blind unless asked otherwise
    host->press(wizard, "?Finish");
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE((*list)["?Reset"].enabled());
    host->press(*list, "?Reset");
    EXPECT_EQ(rows(), 3);
    EXPECT_FALSE((*list)["?Reset"].enabled());
}

TEST_F(AlbumListQuery, TheFilterLivesAsLongAsTheWindow)
{
    host->press(askFor("Steely Dan"), "?Finish");
    EXPECT_EQ(rows(), 1);
    host->press(*list, "?Close");
    host->startProcedure("BrowseAlbums");
    list = host->window("BrowseAlbums");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(rows(), 3);
    EXPECT_FALSE((*list)["?Reset"].enabled());
}

TEST_F(AlbumListQuery, ACancelledWizardChangesNothing)
{
    rt::Window& wizard = askFor("Steely Dan");
    host->press(wizard, "?Cancel");
    EXPECT_EQ(rows(), 3);
    EXPECT_FALSE((*list)["?Reset"].enabled());
}

} // namespace
} // namespace qv::qvls::testing
