#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "data_fixture.h"
#include "platform/runtime/dialogs.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;
using qv::rt::button::No;
using qv::rt::button::Ok;
using qv::rt::button::Yes;

namespace {

class TableAccessTest : public ::testing::Test
{
protected:
    Catalogue c;
};

TEST_F(TableAccessTest, OpenCreatesAMissingFileAndCountsOpens)
{
    EXPECT_TRUE(std::filesystem::exists(c.dir.file("albums.tps")));
    EXPECT_EQ(c.albumAccess.openCount(), 1);
    EXPECT_EQ(c.albumAccess.open(), Benign);
    EXPECT_EQ(c.albumAccess.openCount(), 2);
    c.albumAccess.close();
    EXPECT_TRUE(c.albums.isOpen());
    c.albumAccess.close();
    EXPECT_FALSE(c.albums.isOpen());
    EXPECT_EQ(c.albumAccess.close(), Benign); // closing a closed table is no fault
}

TEST_F(TableAccessTest, AFileThatIsNoTableIsReportedByItsName)
{
    Table other(mediaDef());
    other.setFileName(c.dir.file("broken.tps"));
    other.setGroup(&c.group);
    std::ofstream(c.dir.file("broken.tps")) << std::string(4096, 'x');
    TableAccess access(other, c.reporter);
    access.setName("Media Tyes [Media]");
    Level level = Benign;
    c.host.start("Opener", [&] { level = access.open(); });
    ASSERT_NE(c.host.messageBox(), nullptr);
    EXPECT_EQ(c.host.messageBox()->title(), "File Open Error");
    EXPECT_EQ(
        c.host.messageBox()->text(), "Error 47 (Invalid Data File) attempting to open the file Media Tyes [Media].");
    c.host.answer(Ok);
    EXPECT_EQ(level, Program);
    EXPECT_FALSE(other.isOpen());
}

// Another program keeps the file open in WAL mode, where a commit would not be part of
// the group's transaction: the add is refused and the message says why.
TEST_F(TableAccessTest, AFileAnotherProgramHoldsInWalModeIsNotWritten)
{
    const std::string file = c.media.filePath();
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t other = fork();
    if (other == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        char ch = sqlite3_exec(db, "PRAGMA journal_mode=WAL; SELECT count(*) FROM Media;", nullptr, nullptr, nullptr)
                == SQLITE_OK
            ? 1
            : 0;
        if (write(ready[1], &ch, 1) != 1 || read(done[0], &ch, 1) != 1)
            _exit(2);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);

    Level level = Benign;
    c.host.start("Adder", [&] {
        c.media.record().clear();
        c.media.record()["MED:Media"] = "Tape";
        level = c.mediaAccess.Insert();
    });
    ASSERT_NE(c.host.messageBox(), nullptr);
    EXPECT_EQ(c.host.messageBox()->title(), "Record Insert Error");
    EXPECT_EQ(c.host.messageBox()->text(),
        "Error 32 (Another program holds " + file
            + " in WAL mode) attempting to add a record to the file Media Tyes [Media].");
    c.host.answer(Ok);
    EXPECT_EQ(level, Program);

    ASSERT_EQ(write(done[1], "x", 1), 1);
    waitpid(other, nullptr, 0);
    // Once the other program has let go, the file is back on the rollback journal.
    c.host.start("Adder", [&] { level = c.mediaAccess.Insert(); });
    EXPECT_EQ(c.host.messageBox(), nullptr);
    EXPECT_EQ(level, Benign);
    EXPECT_EQ(c.media.records(), 1);
}

TEST_F(TableAccessTest, NameInMessagesDefaultsToTheFileName)
{
    EXPECT_EQ(c.detailAccess.name(), c.dir.file("details.tps"));
    EXPECT_EQ(c.detailAccess.checkName(), "Song Details");
    c.detailAccess.setCheckName("SongDetails");
    EXPECT_EQ(c.detailAccess.checkName(), "SongDetails");
}

TEST_F(TableAccessTest, PrimeRecordReservesTheIdsAtOnce)
{
    ASSERT_EQ(c.albumAccess.primeRecord(), Benign);
    EXPECT_EQ(c.albums.record()["ALB:AlbumID"].toInt(), 1);
    EXPECT_EQ(c.albums.record().getText(1), "New Album");
    ASSERT_EQ(c.albumAccess.primeRecord(), Benign);
    EXPECT_EQ(c.albums.record()["ALB:AlbumID"].toInt(), 2);
    EXPECT_EQ(c.albums.records(), 2);

    // Songs primed while album 2 is in the album buffer are numbered within it.
    ASSERT_EQ(c.songAccess.primeRecord(), Benign);
    ASSERT_EQ(c.songAccess.primeRecord(), Benign);
    EXPECT_EQ(Catalogue::rows(c.songs), (std::vector<std::string>{"1|2|1|1||", "2|2|1|2||"}));

    // A copy keeps the buffer but gets new numbers.
    c.albums.record()["ALB:Title"] = "Copy";
    c.albumAccess.primeFields(true);
    EXPECT_EQ(c.albums.record().getText(1), "New Album");
    c.albums.record()["ALB:Media"] = "LP";
    ASSERT_EQ(c.albumAccess.primeAutoInc(), Benign);
    EXPECT_EQ(Catalogue::rows(c.albums).back(), "3|New Album|LP|0");

    // A table without auto-numbering is only cleared and given its defaults.
    c.addMedia("CD");
    ASSERT_EQ(c.mediaAccess.primeRecord(), Benign);
    EXPECT_EQ(c.media.records(), 1);
    EXPECT_TRUE(c.media.record().isEmpty(0));
}

struct RetryCase {
    const char* what;
    bool openBeforeAnswer;
    int press;
    Level expected;
    std::int64_t stored;
};

class PrimeRetry : public ::testing::TestWithParam<RetryCase>
{ };

TEST_P(PrimeRetry, AsksAfterThreeFailedAdds)
{
    const RetryCase& rc = GetParam();
    Catalogue c;
    c.albumAccess.close(); // adds now fail
    Level level = Fatal;
    c.host.start("Form", [&] { level = c.albumAccess.primeRecord(); });
    ASSERT_NE(c.host.messageBox(), nullptr);
    EXPECT_EQ(c.host.messageBox()->title(), "Auto Increment Error");
    EXPECT_EQ(c.host.messageBox()->text(),
        "Attempts to automatically number this Albums [Album] record have failed. "
        "Error: File Not Open. Try Again?");
    if (rc.openBeforeAnswer)
        c.albumAccess.open();
    c.host.answer(rc.press);
    if (rc.press == Yes && !rc.openBeforeAnswer) {
        ASSERT_NE(c.host.messageBox(), nullptr) << "three more failures ask again";
        c.host.answer(No);
    }
    EXPECT_EQ(level, rc.expected);
    c.albumAccess.open();
    EXPECT_EQ(c.albums.records(), rc.stored);
}

INSTANTIATE_TEST_SUITE_P(Answers, PrimeRetry,
    ::testing::Values(RetryCase{"retrySucceeds", true, Yes, Benign, 1},
        RetryCase{"retryFailsAgain", false, Yes, User, 0}, RetryCase{"giveUp", true, No, User, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(TableAccessTest, UpdateOfARecordChangedByAnotherStationIsRefusedAndReread)
{
    c.addMedia("CD");
    const auto id = c.addAlbum("Blue");
    // Another program instance on the same file.
    Group theirGroup(c.dir.file(".theirs"));
    Table theirs(albumsDef());
    theirs.setFileName(c.dir.file("albums"));
    theirs.setGroup(&theirGroup);
    ASSERT_EQ(theirs.open(), 0);

    c.loadAlbum(id);
    theirs.record()["ALB:AlbumID"] = id;
    ASSERT_EQ(theirs.fetch(0), 0);
    theirs.record()["ALB:Title"] = "Theirs";
    ASSERT_EQ(theirs.update(), 0);

    c.albums.record()["ALB:Title"] = "Mine";
    Level level = Benign;
    c.host.start("Form", [&] { level = c.albumAccess.Update(); });
    ASSERT_NE(c.host.messageBox(), nullptr);
    EXPECT_EQ(c.host.messageBox()->title(), "Record Was Not Updated");
    EXPECT_EQ(c.host.messageBox()->text(),
        "This record was changed by another station. Those changes will now be displayed. Use the Ditto "
        "Button or Ctrl+' to recall your changes.");
    // Those changes are displayed by the time the message is.
    EXPECT_EQ(c.albums.record().getText(1), "Theirs");
    c.host.answer(Ok);
    EXPECT_EQ(level, User);

    // The re-read record carries the current change counter: a second save goes through.
    c.albums.record()["ALB:Title"] = "Mine";
    c.host.start("Form", [&] { level = c.albumAccess.Update(); });
    EXPECT_EQ(c.host.messageBox(), nullptr);
    EXPECT_EQ(level, Benign);
    ASSERT_EQ(theirs.fetch(0), 0);
    EXPECT_EQ(theirs.record().getText(1), "Mine");
    theirs.close();
}

struct CheckCase {
    const char* what;
    int rating;
    const char* media;
    const char* title; // "" = no message
    const char* text;
};

class FieldChecks : public ::testing::TestWithParam<CheckCase>
{ };

TEST_P(FieldChecks, HoldBackTheUpdate)
{
    const CheckCase& k = GetParam();
    Catalogue c;
    c.addMedia("CD");
    c.addMedia("LP");
    const auto id = c.addAlbum("Blue");
    c.loadAlbum(id);
    c.albums.record()["ALB:Rating"] = k.rating;
    c.albums.record()["ALB:Media"] = k.media;
    Level level = Fatal;
    c.host.start("Form", [&] { level = c.albumAccess.Update(); });
    if (*k.title) {
        ASSERT_NE(c.host.messageBox(), nullptr);
        EXPECT_EQ(c.host.messageBox()->title(), k.title);
        EXPECT_EQ(c.host.messageBox()->text(), k.text);
        c.host.answer(Ok);
        EXPECT_EQ(level, User);
    } else {
        EXPECT_EQ(c.host.messageBox(), nullptr);
        EXPECT_EQ(level, Benign);
    }
    const bool stored = !*k.title;
    Table& t = c.albums;
    const Record edited = t.record();
    c.loadAlbum(id);
    EXPECT_EQ(t.record().sameValues(edited), stored);
}

INSTANTIATE_TEST_SUITE_P(Albums, FieldChecks,
    ::testing::Values(CheckCase{"accepted", 10, "LP", "", ""}, CheckCase{"blankMediaAccepted", 0, "", "", ""},
        CheckCase{"ratingTooHigh", 11, "CD", "Range Error", "The value of Rating must be between 0 and 10."},
        CheckCase{"unknownMedia", 5, "Tape", "Field contents error",
            "The value of Media (Album) must be found in the Media file."}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(TableAccessTest, AMembershipCheckLeavesTheLookedUpTableWhereItWas)
{
    for (const char* m : {"CD", "LP", "MP3"})
        c.addMedia(m);
    const auto id = c.addAlbum("Blue");
    // A list stands on "CD" in the media table.
    c.mediaAccess.useKey(0);
    ASSERT_EQ(c.mediaAccess.TryNext(), 0);
    ASSERT_EQ(c.media.record().getText(0), "CD");

    c.loadAlbum(id);
    c.albums.record()["ALB:Media"] = "MP3";
    EXPECT_EQ(c.albumAccess.CheckField(c.albums.def().fieldIndex("ALB:Media")), Benign);

    EXPECT_EQ(c.media.record().getText(0), "CD");
    ASSERT_EQ(c.mediaAccess.TryNext(), 0);
    EXPECT_EQ(c.media.record().getText(0), "LP");
}

TEST_F(TableAccessTest, SavedStateIsPutBack)
{
    for (const char* m : {"CD", "LP", "MP3", "WAV"})
        c.addMedia(m);
    auto read = [&] { return c.mediaAccess.TryNext() == 0 ? c.media.record().getText(0) : std::string("<end>"); };

    // Positioned by key values, nothing read yet.
    c.media.record()["MED:Media"] = "LP";
    c.mediaAccess.setPosition(0);
    auto atLp = c.mediaAccess.SaveTableState();
    // After a read, with an edit in the buffer.
    c.mediaAccess.useKey(0);
    read();
    read();
    c.media.record()["MED:Media"] = "edited";
    auto afterLp = c.mediaAccess.SaveTableState();

    c.mediaAccess.useKey(0);
    read();
    c.mediaAccess.RestoreTableState(atLp);
    EXPECT_EQ(read(), "LP");
    c.mediaAccess.RestoreTableState(afterLp);
    EXPECT_EQ(c.media.record().getText(0), "edited");
    EXPECT_EQ(read(), "MP3");
    EXPECT_EQ(read(), "WAV");
    EXPECT_EQ(read(), "<end>");
}

TEST_F(TableAccessTest, ReadsAndFetches)
{
    c.addMedia("CD");
    c.mediaAccess.useKey(0);
    EXPECT_EQ(c.mediaAccess.ReadNext(), Benign);
    EXPECT_EQ(c.mediaAccess.ReadNext(), Notify); // the end shows nothing
    EXPECT_EQ(c.reporter.messageCount(), 0);

    c.media.record()["MED:Media"] = "cd";
    EXPECT_EQ(c.mediaAccess.Fetch(0), 0);
    EXPECT_EQ(c.media.record().getText(0), "CD");
    c.media.record()["MED:Media"] = "Tape";
    EXPECT_EQ(c.mediaAccess.Fetch(0), 5);
    EXPECT_EQ(c.media.record().getText(0), "Tape");
    EXPECT_EQ(c.mediaAccess.TryFetch(0), 5);
    EXPECT_EQ(c.media.record().getText(0), "");

    Table closed(mediaDef());
    TableAccess access(closed, c.reporter);
    EXPECT_EQ(access.Fetch(0), 3);
}

TEST_F(TableAccessTest, ADuplicateNamesTheKeyAsDeclared)
{
    c.mediaAccess.RegisterKey(0, "Media Format", 0);
    c.addMedia("CD");
    c.media.record()["MED:Media"] = "cd ";
    EXPECT_EQ(c.mediaAccess.TryInsert(), User);
    EXPECT_EQ(c.reporter.messageCount(), 0);
    Level level = Benign;
    c.host.start("Form", [&] { level = c.mediaAccess.Insert(); });
    ASSERT_NE(c.host.messageBox(), nullptr);
    EXPECT_EQ(c.host.messageBox()->title(), "Duplicate Key Error");
    EXPECT_EQ(c.host.messageBox()->text(),
        "Adding this Media Tyes [Media] record creates a duplicate entry for the key: Media Format");
    c.host.answer(Ok);
    EXPECT_EQ(level, User);
    EXPECT_EQ(c.media.records(), 1);
}

TEST_F(TableAccessTest, TryUpdateChecksWithoutMessages)
{
    const auto id = c.addAlbum("Blue", "");
    c.loadAlbum(id);
    c.albums.record()["ALB:Rating"] = 11;
    EXPECT_EQ(c.albumAccess.TryUpdate(), User);
    EXPECT_EQ(c.host.messageBox(), nullptr);
    EXPECT_FALSE(c.reporter.silent());
    c.albums.record()["ALB:Rating"] = 9;
    EXPECT_EQ(c.albumAccess.TryUpdate(), Benign);
    c.loadAlbum(id);
    EXPECT_EQ(c.albums.record()["ALB:Rating"].toInt(), 9);
}

TEST_F(TableAccessTest, HistoryTellsAndUndoesChanges)
{
    const auto id = c.addAlbum("Blue");
    c.loadAlbum(id);
    c.albumAccess.saveHistory();
    EXPECT_FALSE(c.albumAccess.changedSinceHistory());
    c.albums.record()["ALB:Title"] = "Green";
    c.albums.record()["ALB:Rating"] = 4;
    EXPECT_TRUE(c.albumAccess.changedSinceHistory());
    c.albumAccess.restoreHistoryField(c.albums.def().fieldIndex("ALB:Title"));
    EXPECT_EQ(c.albums.record().getText(1), "Blue");
    EXPECT_TRUE(c.albumAccess.changedSinceHistory());
    c.albumAccess.restoreHistoryField(c.albums.def().fieldIndex("ALB:Rating"));
    EXPECT_FALSE(c.albumAccess.changedSinceHistory());
}

TEST_F(TableAccessTest, FieldsAreBoundForExpressionsWhenOpened)
{
    expr::NameTable names;
    Table t(albumsDef());
    t.setFileName(c.dir.file("albums"));
    t.setGroup(&c.group);
    TableAccess access(t, c.reporter);
    access.setBindings(&names);
    ASSERT_EQ(access.open(), Benign);
    t.record()["ALB:Rating"] = 7;
    const int slot = names.lookup("alb:rating");
    ASSERT_GE(slot, 0);
    EXPECT_EQ(names.value(slot).toInt(), 7);
    access.close();
}

} // namespace
