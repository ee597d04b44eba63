// The catalogue's list windows: what they keep in ".\POSITION.INI" and
// what a second opening leaves alone.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/runtime/window.h"
#include "qvls/catalogue/catalogue_list.h"

namespace qv::qvls::testing {
namespace {

constexpr const char* kDesign = "91L(2)|M~Artist~@s50@95L(2)|M~Album~@s50@35L(1)|M~Released~@d17b@";

class CatalogueLists : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const auto& [artist, album] : {std::pair{"Abba", "Arrival"}, {"Aaron Neville", "Warm Your Heart"}}) {
            tables::Table& t = dictionary::Album();
            if (t.open() != 0) {
                ASSERT_TRUE(t.create() == 0 && t.open() == 0);
            }
            t.record().clear();
            t.record()["ALB:Artist"] = artist;
            t.record()["ALB:Album"] = album;
            ASSERT_EQ(t.insert(), 0);
            t.close();
        }
    }
    rt::Window* open()
    {
        host->start("TestAlbumList", [] { CatalogueList("TestAlbumList").Execute(); });
        return host->window("TestAlbumList");
    }
    std::string positions() const { return readFile(collection("POSITION.INI")); }
};

TEST_F(CatalogueLists, ASecondOpeningWritesNothingAndTheFirstKeepsItsLayoutAndPlace)
{
    settings().SaveLastTab = 1;
    rt::Window* first = open();
    ASSERT_NE(first, nullptr);
    host->choose(*first, "?CurrentTab", 2);
    first->userGeometry({30, 40, 260, 160});
    host->post(*first, rt::Event{rt::event::Moved});
    const std::string before = positions();
    EXPECT_NE(before.find("XPos=30"), std::string::npos) << before;

    first->setIconized(true);
    open();
    EXPECT_FALSE(first->iconized()) << "the open list came forward";
    EXPECT_EQ(positions(), before) << "the second opening wrote nothing";

    host->press(*first, "?Close");
    const std::string after = positions();
    EXPECT_NE(after.find("SRCFOriginal?List=" + std::string(kDesign)), std::string::npos) << after;
    EXPECT_NE(after.find("Tab:?CurrentTab=2"), std::string::npos) << after;

    // Opened again: the tab the user left, and its order.
    rt::Window* again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ((*again)["?CurrentTab"].selected(), 2);
    EXPECT_EQ((*again)["?List"].list()->cell(0, 1).substr(0, 7), "Arrival");
    host->press(*again, "?Close");
}

TEST_F(CatalogueLists, TheUsersLayoutComesBackAndDatesTakeTheUsersFormat)
{
    settings().DateFormat = "d6";
    writeFile(collection("POSITION.INI"),
        std::string("[TestAlbumList]\nSRCFOriginal?List=") + kDesign
            + "\nSRCF?List=120L(2)|M~Artist~@s50@95L(2)|M~Album~@s50@35L(1)|M~"
              "Released~@d17b@\n");
    rt::Window* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?List"].format(), "120L(2)|M~Artist~@s50@95L(2)|M~Album~@s50@35L(1)|M~Released~@d6@");
    host->press(*w, "?Close");
}

} // namespace
} // namespace qv::qvls::testing
