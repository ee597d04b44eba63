#include <gtest/gtest.h>

#include "data_fixture.h"
#include "platform/runtime/dialogs.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;
using qv::rt::button::No;
using qv::rt::button::Ok;
using qv::rt::button::Yes;

namespace {

// Album 1 with songs 1 and 2 (each with details), album 2 with song 3.
class Relations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        c.addMedia("CD");
        c.addMedia("LP");
        a1 = c.addAlbum("Blue");
        a2 = c.addAlbum("Red", "LP");
        s1 = c.addSong(a1, "One");
        s2 = c.addSong(a1, "Two", "LP");
        s3 = c.addSong(a2, "Three", "LP");
        c.addDetail(s1, "one a");
        c.addDetail(s1, "one b");
        c.addDetail(s2, "two a");
        c.addDetail(s3, "three a");
    }

    // Runs the set's operation on a thread; a message box, if any, is
    // answered with press after checking that no transaction is open.
    Level run(const std::function<Level()>& op, int press = Ok)
    {
        Level level = Fatal;
        c.host.start("Form", [&] { level = op(); });
        while (rt::MessageBoxWindow* box = c.host.messageBox()) {
            EXPECT_FALSE(c.group.inTransaction()) << "a message inside a transaction: " << box->title();
            titles.push_back(box->title());
            texts.push_back(box->text());
            c.host.answer(press);
        }
        return level;
    }

    Catalogue c;
    std::int64_t a1 = 0, a2 = 0, s1 = 0, s2 = 0, s3 = 0;
    std::vector<std::string> titles, texts;
};

TEST_F(Relations, DeletingAnAlbumDeletesItsSongsAndTheirDetails)
{
    c.loadAlbum(a1);
    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(false); }), Benign);
    EXPECT_TRUE(titles.empty());
    EXPECT_EQ(Catalogue::rows(c.albums), (std::vector<std::string>{"2|Red|LP|0"}));
    EXPECT_EQ(Catalogue::rows(c.songs), (std::vector<std::string>{"3|2|1|1|Three|LP"}));
    EXPECT_EQ(Catalogue::rows(c.details), (std::vector<std::string>{"3|1|three a"}));
    EXPECT_EQ(c.media.records(), 2);
}

struct AskCase {
    const char* what;
    int press;
    Level expected;
    std::int64_t albumsLeft;
};

class DeleteQuestion : public Relations, public ::testing::WithParamInterface<AskCase>
{ };

TEST_P(DeleteQuestion, AsksFirst)
{
    c.loadAlbum(a1);
    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(true); }, GetParam().press), GetParam().expected);
    EXPECT_EQ(titles, std::vector<std::string>{"Confirm Delete"});
    EXPECT_EQ(c.albums.records(), GetParam().albumsLeft);
}

INSTANTIATE_TEST_SUITE_P(Answers, DeleteQuestion,
    ::testing::Values(AskCase{"yes", Yes, Benign, 1}, AskCase{"no", No, User, 2}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Relations, TheConfirmedRecordIsDeletedWhateverOthersLoadMeanwhile)
{
    c.loadAlbum(a1);
    Level level = Fatal;
    c.host.start("Form", [&] { level = c.albumSet.deleteRecord(true); });
    ASSERT_NE(c.host.messageBox(), nullptr);
    c.loadAlbum(a2); // a list on another thread highlights another album
    c.host.answer(Yes);
    EXPECT_EQ(level, Benign);
    EXPECT_EQ(Catalogue::rows(c.albums), (std::vector<std::string>{"2|Red|LP|0"}));
}

class RefusedDelete : public Relations, public ::testing::WithParamInterface<bool>
{ };

TEST_P(RefusedDelete, ASongInAPlaylistKeepsItsAlbumAndEverythingElse)
{
    c.albumSet.setTransactions(GetParam());
    c.songSet.setTransactions(GetParam());
    c.addEntry(1, s2); // the album's second song, found through a DECIMAL id
    const auto before = c.snapshot();
    c.loadAlbum(a1);
    const Record buffer = c.albums.record();

    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(false); }), User);
    ASSERT_EQ(titles, std::vector<std::string>{"Referential Integrity Delete Error"});
    EXPECT_EQ(texts[0],
        "This record is referenced from the file Playlist Details (Songs) [PlaylistDetails]. This "
        "record cannot be deleted while these references exist.");
    EXPECT_EQ(c.snapshot(), before);
    EXPECT_TRUE(c.albums.record().sameValues(buffer));
    EXPECT_EQ(c.albums.record().recordId, buffer.recordId);
    EXPECT_EQ(c.albums.record().changeCount, buffer.changeCount);

    // The album can still be saved from its buffer: nothing moved its change counter.
    EXPECT_EQ(run([&] { return c.albumSet.Update(); }), Benign);

    // The song itself is refused the same way; its neighbour without entries is not.
    titles.clear();
    c.load(c.songs, "SNG:ID", s2);
    EXPECT_EQ(run([&] { return c.songSet.deleteRecord(false); }), User);
    EXPECT_EQ(titles, std::vector<std::string>{"Referential Integrity Delete Error"});
    c.load(c.songs, "SNG:ID", s1);
    EXPECT_EQ(run([&] { return c.songSet.deleteRecord(false); }), Benign);
    EXPECT_EQ(c.songs.records(), 2);
    EXPECT_EQ(c.details.records(), 2);
}

INSTANTIATE_TEST_SUITE_P(Transactions, RefusedDelete, ::testing::Bool(),
    [](const auto& info) { return info.param ? "inTransaction" : "withoutTransaction"; });

TEST_F(Relations, AChangedAlbumIdIsCarriedIntoItsSongs)
{
    c.loadAlbum(a1);
    c.albums.record()["ALB:AlbumID"] = 10;
    EXPECT_EQ(run([&] { return c.albumSet.Update(); }), Benign);
    EXPECT_TRUE(titles.empty());
    EXPECT_EQ(Catalogue::rows(c.albums), (std::vector<std::string>{"2|Red|LP|0", "10|Blue|CD|0"}));
    EXPECT_EQ(
        Catalogue::rows(c.songs), (std::vector<std::string>{"1|10|1|1|One|CD", "2|10|1|2|Two|LP", "3|2|1|1|Three|LP"}));
    // The songs' own ids did not change, so their details stay as they were.
    EXPECT_EQ(c.details.records(), 4);
    EXPECT_EQ(c.albums.record()["ALB:AlbumID"].toInt(), 10);
}

TEST_F(Relations, AnUpdateWithoutLinkChangesWritesOnlyTheRecord)
{
    c.loadAlbum(a1);
    c.albums.record()["ALB:Title"] = "Navy";
    const auto songsBefore = Catalogue::rows(c.songs);
    EXPECT_EQ(run([&] { return c.albumSet.Update(); }), Benign);
    EXPECT_EQ(Catalogue::rows(c.albums)[0], "1|Navy|CD|0");
    EXPECT_EQ(Catalogue::rows(c.songs), songsBefore);

    // A form's save checks the fields first; fromForm false writes as it is.
    c.albums.record()["ALB:Rating"] = 12;
    EXPECT_EQ(run([&] { return c.albumSet.Update(); }), User);
    EXPECT_EQ(titles, std::vector<std::string>{"Range Error"});
    EXPECT_EQ(run([&] { return c.albumSet.Update(false); }), Benign);
    EXPECT_EQ(Catalogue::rows(c.albums)[0], "1|Navy|CD|12");
}

TEST_F(Relations, ARenamedMediaFormatIsCarriedIntoSongs)
{
    c.addMedia("Tape");
    const auto s4 = c.addSong(a2, "Four", "Tape");
    c.media.record()["MED:Media"] = "tape";
    ASSERT_EQ(c.media.fetch(0), 0);
    c.media.record()["MED:Media"] = "Cassette";
    EXPECT_EQ(run([&] { return c.mediaSet.Update(); }), Benign);
    c.load(c.songs, "SNG:ID", s4);
    EXPECT_EQ(c.songs.record().getText(c.songs.def().fieldIndex("SNG:Media")), "Cassette");
    EXPECT_EQ(Catalogue::rows(c.media), (std::vector<std::string>{"Cassette", "CD", "LP"}));
}

TEST_F(Relations, AMediaFormatThatAlbumsUseCannotBeRenamed)
{
    c.media.record()["MED:Media"] = "LP";
    ASSERT_EQ(c.media.fetch(0), 0);
    const auto before = c.snapshot();
    c.media.record()["MED:Media"] = "Vinyl";

    EXPECT_EQ(run([&] { return c.mediaSet.Update(); }), User);
    ASSERT_EQ(titles, std::vector<std::string>{"Referential Integrity Update Error"});
    EXPECT_EQ(texts[0],
        "This record is referenced from the file Albums [Album]. Linking field(s) have been "
        "restricted from change and have been reset to original values.");
    // Songs were carried before the albums refused; the rollback undid that.
    EXPECT_EQ(c.snapshot(), before);
    EXPECT_EQ(c.media.record().getText(0), "LP");
}

TEST_F(Relations, ASongIdCarriedIntoDecimalPlaylistIds)
{
    c.addEntry(4, s2);
    c.addEntry(4, s3);
    // A set over the same songs whose playlist entries follow a new id.
    RelationSet following(c.songAccess);
    following.addRelation(c.entrySet, Rule::Cascade, Rule::Restrict, 1, {{"SNG:ID", "PLA:ID"}});
    following.addRelation(c.detailSet, Rule::Cascade, Rule::Cascade, 0, {{"SNG:ID", "SDT:ID"}});
    c.load(c.songs, "SNG:ID", s2);
    c.songs.record()["SNG:ID"] = 700;
    EXPECT_EQ(run([&] { return following.Update(); }), Benign);
    EXPECT_EQ(Catalogue::rows(c.entries), (std::vector<std::string>{"4|1|700", "4|2|3"}));
    EXPECT_EQ(
        Catalogue::rows(c.details), (std::vector<std::string>{"1|1|one a", "1|2|one b", "3|1|three a", "700|1|two a"}));
}

TEST_F(Relations, AnAlbumChangedByAnotherStationIsNotCarried)
{
    Group theirGroup(c.dir.file(".theirs"));
    Table theirs(albumsDef());
    theirs.setFileName(c.dir.file("albums"));
    theirs.setGroup(&theirGroup);
    ASSERT_EQ(theirs.open(), 0);
    c.loadAlbum(a1);
    theirs.record()["ALB:AlbumID"] = a1;
    ASSERT_EQ(theirs.fetch(0), 0);
    theirs.record()["ALB:Title"] = "Theirs";
    ASSERT_EQ(theirs.update(), 0);
    theirs.close();
    const auto songsBefore = Catalogue::rows(c.songs);

    c.albums.record()["ALB:AlbumID"] = 10;
    EXPECT_EQ(run([&] { return c.albumSet.Update(); }), User);
    EXPECT_EQ(titles, std::vector<std::string>{"Record Was Not Updated"});
    EXPECT_EQ(Catalogue::rows(c.songs), songsBefore);
    EXPECT_EQ(c.albums.record()["ALB:AlbumID"].toInt(), a1);
    EXPECT_EQ(c.albums.record().getText(1), "Theirs");
}

TEST_F(Relations, AFailedCascadeRollsEverythingBack)
{
    // Detail lines are unique per song and sequence: song 1's first line
    // moves onto id 99, its second clashes with a line already there.
    c.details.record().clear();
    c.details.record()["SDT:ID"] = 99;
    c.details.record()["SDT:Sequence"] = 2;
    c.details.record()["SDT:Text"] = "already there";
    ASSERT_EQ(c.details.insert(), 0);
    const auto before = c.snapshot();

    c.load(c.songs, "SNG:ID", s1);
    c.songs.record()["SNG:ID"] = 99;
    EXPECT_EQ(run([&] { return c.songSet.Update(); }), User);
    ASSERT_EQ(titles, std::vector<std::string>{"Duplicate Key Error"});
    EXPECT_EQ(texts[0], "Adding this " + c.detailAccess.name() + " record creates a duplicate entry for the key: Song");
    EXPECT_EQ(c.snapshot(), before);
    // A refusal that is no restriction keeps the edit in the buffer.
    EXPECT_EQ(c.songs.record()["SNG:ID"].toInt(), 99);
}

TEST_F(Relations, OpeningASetOpensItsRelatedTablesAndLookups)
{
    const int albums = c.albumAccess.openCount(), songs = c.songAccess.openCount(), media = c.mediaAccess.openCount(),
              details = c.detailAccess.openCount();
    EXPECT_EQ(c.albumSet.open(), Benign);
    EXPECT_EQ(c.albumAccess.openCount(), albums + 1);
    EXPECT_EQ(c.songAccess.openCount(), songs + 1);
    EXPECT_EQ(c.mediaAccess.openCount(), media + 1);
    EXPECT_EQ(c.detailAccess.openCount(), details); // a relation of a relation is not opened
    c.albumSet.close();
    EXPECT_EQ(c.albumAccess.openCount(), albums);
    EXPECT_EQ(c.songAccess.openCount(), songs);
    EXPECT_EQ(c.mediaAccess.openCount(), media);
}

TEST_F(Relations, ADeleteOpensWhatItNeedsAndClosesItAgain)
{
    // Only the album set open, as a form would have it.
    for (TableAccess* a : c.accesses())
        a->close();
    ASSERT_EQ(c.albumSet.open(), Benign);
    c.loadAlbum(a1);
    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(false); }), Benign);
    EXPECT_EQ(c.detailAccess.openCount(), 0);
    EXPECT_EQ(c.entryAccess.openCount(), 0);
    c.detailAccess.open();
    EXPECT_EQ(Catalogue::rows(c.details), (std::vector<std::string>{"3|1|three a"}));
    c.albumSet.close();
    EXPECT_EQ(c.albumAccess.openCount(), 0);
}

TEST_F(Relations, CleanUpForgetsTheRelations)
{
    c.albumSet.CleanUp();
    c.loadAlbum(a1);
    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(false); }), Benign);
    EXPECT_EQ(c.songs.records(), 3);
}

TEST_F(Relations, ADeleteThatCannotFrameItsTransactionChangesNothing)
{
    // Another program instance is writing to the songs.
    Group theirGroup(c.dir.file(".theirs"));
    Table theirs(songsDef());
    theirs.setFileName(c.dir.file("songs"));
    theirs.setGroup(&theirGroup);
    ASSERT_EQ(theirs.open(), 0);
    ASSERT_EQ(theirGroup.begin(0), 0);
    theirs.record()["SNG:ID"] = s1;
    ASSERT_EQ(theirs.fetch(0), 0);
    ASSERT_EQ(theirs.update(), 0);

    c.loadAlbum(a1);
    const Record buffer = c.albums.record();
    EXPECT_EQ(run([&] { return c.albumSet.deleteRecord(false); }), Program);
    ASSERT_EQ(titles, std::vector<std::string>{"Transaction cancelled"});
    EXPECT_EQ(texts[0], "Error: (File Is Already Locked) attempting to frame the transaction on Albums [Album].");
    EXPECT_TRUE(c.albums.record().sameValues(buffer));
    theirGroup.rollback();
    theirs.close();
    EXPECT_EQ(c.albums.records(), 2);
    EXPECT_EQ(c.songs.records(), 3);
}

} // namespace
