// An album's fields carried into its songs: by the settings, by the user's
// choice of album kind, and the capitalisation of the album's and song's
// names in the buffers.

#include "qvls/catalogue/catalogue_fixture.h"

#include <sqlite3.h>

#include "platform/runtime/dialogs.h"
#include "qvls/catalogue/album_cascade.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

class Cascade : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        // Album 1 has a song on side 1 and one on side 2; album 2 has one song.
        for (const char* title : {"Old", "Other"})
            add(dictionary::Album(), {{"ALB:Album", title}, {"ALB:Artist", "Someone"}});
        resetSongs();
        // The album as its form has it now.
        tables::Record& a = dictionary::Album().record();
        a.clear();
        a["ALB:AlbumID"] = 1;
        a["ALB:Album"] = "New Title";
        a["ALB:Artist"] = "New Artist";
        a["ALB:FileNumber"] = "CD042";
        a["ALB:Media"] = "LP";
        a["ALB:Category"] = "Jazz";
        a["ALB:CategoryID"] = 7;
        a["ALB:ReleaseDate"] = 1999;
    }
    void TearDown() override
    {
        for (const char* label : {"Quorvel", "Album"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }
    static void resetSongs()
    {
        tables::Table& t = dictionary::Quorvel();
        t.setOrder(-1);
        while (t.next() == 0)
            ASSERT_EQ(t.remove(), 0);
        song("One", 1, 1, 1);
        song("Two", 1, 2, 1);
        song("Elsewhere", 2, 1, 1);
    }
    static void song(const char* title, int album, int side, int track)
    {
        add(dictionary::Quorvel(),
            {{"SNG:Title", title}, {"SNG:AlbumID", std::to_string(album)}, {"SNG:Side", std::to_string(side)},
                {"SNG:TrackNumber", std::to_string(track)}, {"SNG:Album", "Old"}, {"SNG:Artist", "Old Artist"},
                {"SNG:FileNumber", "CD001"}, {"SNG:Media", "CD"}, {"SNG:Category", "Rock"}, {"SNG:CategoryID", "1"},
                {"SNG:ReleaseDate", "1970"}});
    }
    // A song's fields as "album|artist|file number|media|category|id|year".
    static std::string songFields(const char* title)
    {
        tables::Table& t = dictionary::Quorvel();
        t.setOrder(-1);
        while (t.next() == 0 && value(t, "SNG:Title") != title) { }
        std::string out;
        for (const char* f : {"SNG:Album", "SNG:Artist", "SNG:FileNumber", "SNG:Media", "SNG:Category",
                 "SNG:CategoryID", "SNG:ReleaseDate"})
            out += (out.empty() ? "" : "|") + value(t, f);
        return out;
    }
    // Runs the cascade on a thread of the program, answering its question.
    void run(bool ask, int answer = 0)
    {
        host->start("cascade", [ask] { CascadeAlbumToSongs(ask); });
        if (answer)
            host->answer(answer);
        host->settle();
    }
};

constexpr const char* kUntouched = "Old|Old Artist|CD001|CD|Rock|1|1970";

TEST_F(Cascade, EachSettingCarriesItsFieldAndTheTitleIntoEverySideOfTheAlbum)
{
    struct Case {
        int fileNumber, media, category, releaseDate;
        const char* song; // what each song of album 1 holds afterwards
    };
    const Case cases[] = {
        {0, 0, 0, 0, kUntouched}, // nothing on: not even the title
        {1, 0, 0, 0, "New Title|Old Artist|CD042|CD|Rock|1|1970"},
        {0, 1, 0, 0, "New Title|Old Artist|CD001|LP|Rock|1|1970"},
        {0, 0, 1, 0, "New Title|Old Artist|CD001|CD|Jazz|7|1970"},
        {0, 0, 0, 1, "New Title|Old Artist|CD001|CD|Rock|1|1999"},
        {1, 1, 1, 1, "New Title|Old Artist|CD042|LP|Jazz|7|1999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song);
        Settings& s = settings();
        s.CascadeFileNumber = c.fileNumber;
        s.CascadeMedia = c.media;
        s.CascadeCategory = c.category;
        s.CascadeReleaseDate = c.releaseDate;
        run(false);
        EXPECT_EQ(songFields("One"), c.song);
        EXPECT_EQ(songFields("Two"), c.song) << "the second side too";
        EXPECT_EQ(songFields("Elsewhere"), kUntouched) << "another album's song";
        resetSongs(); // for the next case
    }
}

TEST_F(Cascade, TheUsersChoiceOfAlbumKindDecidesAndCancelWritesNothing)
{
    const std::pair<int, const char*> answers[] = {
        {1, "New Title|New Artist|CD042|LP|Jazz|7|1999"}, // Single Artist
        {2, "New Title|Old Artist|CD042|LP|Rock|1|1970"}, // Compilation: own artist and category
        {3, kUntouched}, // Cancel
    };
    for (const auto& [answer, expected] : answers) {
        SCOPED_TRACE(answer);
        run(true, answer);
        EXPECT_EQ(songFields("Two"), expected);
        resetSongs();
    }
}

TEST_F(Cascade, AnAlbumWithoutSongsSaysNothing)
{
    dictionary::Album().record()["ALB:AlbumID"] = 99;
    settings().CascadeMedia = 1;
    run(false);
    EXPECT_EQ(host->messageBox(), nullptr);
    EXPECT_EQ(songFields("One"), kUntouched);
}

// A write the file refuses halfway through the album: the other songs still
// take the album's fields, and the user hears of it once.
TEST_F(Cascade, ASongTheFileRefusesIsReportedOnceAndTheOthersAreWritten)
{
    tables::Table& songs = dictionary::Quorvel();
    const std::string table = songs.sqlTable().substr(songs.sqlTable().find('.') + 1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(songs.filePath().c_str(), &db), SQLITE_OK);
    const std::string refuse = "CREATE TRIGGER refuse BEFORE UPDATE ON " + table + " WHEN OLD." + songs.columnOf(1)
        + " = 'One' BEGIN SELECT RAISE(ABORT, 'the disk says no'); END";
    ASSERT_EQ(sqlite3_exec(db, refuse.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);

    settings().CascadeMedia = 1;
    host->start("cascade", [] { CascadeAlbumToSongs(false); });
    rt::MessageBoxWindow* box = host->messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), "Cascade Album Changes to Songs");
    EXPECT_NE(box->text().find("1 song"), std::string::npos) << box->text();
    host->answer(rt::button::Ok);
    EXPECT_EQ(host->messageBox(), nullptr) << "one message";
    EXPECT_EQ(songFields("One"), kUntouched);
    EXPECT_EQ(songFields("Two"), "New Title|Old Artist|CD001|LP|Rock|1|1970");
}

TEST_F(Cascade, CaseAlbumFieldsChangesOnlyTheBuffers)
{
    tables::Record& s = dictionary::Quorvel().record();
    s.clear();
    s["SNG:Title"] = "the long road";
    s["SNG:Artist"] = "a band";
    s["SNG:Album"] = "NEW TITLE";
    dictionary::Album().record()["ALB:Album"] = "new title";
    CaseAlbumFields();
    EXPECT_EQ(value(dictionary::Album(), "ALB:Album"), "New Title");
    EXPECT_EQ(value(dictionary::Album(), "ALB:Artist"), "New Artist");
    EXPECT_EQ(value(dictionary::Quorvel(), "SNG:Title"), "The Long Road");
    EXPECT_EQ(value(dictionary::Quorvel(), "SNG:Artist"), "A Band");
    EXPECT_EQ(songFields("One"), kUntouched) << "nothing written";
}

} // namespace
} // namespace qv::qvls::testing
