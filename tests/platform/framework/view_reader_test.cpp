#include <gtest/gtest.h>

#include "platform/framework/data_fixture.h"
#include "platform/framework/view_reader.h"
#include "platform/tables/view.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;

namespace {

std::vector<std::string> titles(tables::View& v, Table& t, const char* field)
{
    std::vector<std::string> out;
    v.toStart();
    while (v.next() == 0)
        out.push_back(t.record().getText(t.def().fieldIndex(field)));
    return out;
}

struct ReaderTest : ::testing::Test {
    Catalogue c;
    std::int64_t rock = 0, jazz = 0;
    void SetUp() override
    {
        c.addMedia("CD");
        c.addMedia("LP");
        rock = c.addAlbum("Rock", "CD");
        jazz = c.addAlbum("Jazz", "LP");
        c.addSong(rock, "Zebra");
        c.addSong(rock, "Apple", "LP");
        c.addSong(jazz, "Blue");
    }
};

TEST_F(ReaderTest, RangeFollowsTheParentRecordEachTimeItIsPushed)
{
    tables::View v(c.songs);
    ViewReader r(v, c.songAccess);
    const int byAlbum = r.AddSortOrder("SNG:KeyAlbumID");
    r.LimitToParent(byAlbum, c.albumAccess, {{"SNG:AlbumID", "ALB:AlbumID"}});
    c.loadAlbum(rock);
    ASSERT_EQ(r.apply(), 0);
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Zebra", "Apple"}));
    c.loadAlbum(jazz);
    r.PushFilterToView();
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Blue"}));
    EXPECT_EQ(r.FreeKeyFieldName(), "SNG:Side");
    EXPECT_EQ(r.FreeKeyFieldIndex(), 2);
}

TEST_F(ReaderTest, NamedFilterPartsApplyTogetherAndComeOffOneByOne)
{
    tables::View v(c.songs);
    ViewReader r(v, c.songAccess);
    r.AddSortOrder("SNG:SongsByMedia");
    r.setFilter("6 Query", std::string("SNG:Media = 'CD'"));
    r.setFilter("Brovex", std::string("INSTRING('e', SNG:Title, 1, 1) > 0"));
    ASSERT_EQ(r.apply(), 0);
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Zebra", "Blue"}));
    r.setFilter("6 Query", std::string(""));
    r.PushFilterToView();
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Zebra", "Blue", "Apple"}));
    r.setFilter("Brovex", [&] { return c.songs.record().getText(4) == "Apple"; });
    r.PushFilterToView();
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Apple"}));
    r.clearFilter("Brovex");
    r.PushFilterToView();
    EXPECT_EQ(titles(v, c.songs, "SNG:Title").size(), 3u);

    r.setFilter("6 Query", std::string("SNG:Title = "));
    EXPECT_NE(r.PushFilterToView(), 0) << "a filter that does not compile is reported";
}

TEST_F(ReaderTest, ClearForNewPutsTheRangeIntoTheKeyAndKeepsACopysValues)
{
    tables::View v(c.songs);
    ViewReader r(v, c.songAccess);
    const int byAlbum = r.AddSortOrder("SNG:KeyAlbumID");
    r.LimitToParent(byAlbum, c.albumAccess, {{"SNG:AlbumID", "ALB:AlbumID"}});
    c.loadAlbum(jazz);
    r.apply();
    v.toStart();
    ASSERT_EQ(v.next(), 0);
    ASSERT_NE(c.songs.record().recordId, 0);

    c.loadAlbum(rock);
    r.ClearForNew(true);
    EXPECT_EQ(c.songs.record()["SNG:Title"].toString().substr(0, 4), "Blue") << "a copy keeps its values";
    EXPECT_EQ(c.songs.record()["SNG:AlbumID"].toInt(), rock) << "but belongs to the range";
    EXPECT_EQ(c.songs.record().recordId, 0) << "and is not the stored record";

    r.ClearForNew();
    EXPECT_TRUE(c.songs.record().isEmpty(c.songs.def().fieldIndex("SNG:Title")));
    EXPECT_EQ(c.songs.record()["SNG:AlbumID"].toInt(), rock);
    EXPECT_EQ(c.songs.record()["SNG:Side"].toInt(), 1) << "the table's defaults are filled";
}

TEST_F(ReaderTest, OrderExpressionsLocateOnTheirFirstTerm)
{
    tables::View v(c.songs);
    ViewReader r(v, c.songAccess);
    r.AddSortOrder("SNG:KeyAlbumID");
    const int byTitle = r.AddOrderExpression("-UPPER(SNG:Title)");
    r.setCurrentOrder(byTitle);
    ASSERT_EQ(r.apply(), 0);
    EXPECT_EQ(titles(v, c.songs, "SNG:Title"), (std::vector<std::string>{"Zebra", "Blue", "Apple"}));
    EXPECT_EQ(r.FreeKeyFieldName(), "UPPER(SNG:Title)");
    EXPECT_EQ(r.freeField(), c.songs.def().fieldIndex("SNG:Title"));
    EXPECT_EQ(r.FreeKeyFieldIndex(), 1);
}

} // namespace
