// The disc lookup through the lookup tool: the tool's start with its
// arguments, the wait for it, and its answer "TRAKHAND.LOG" read into the
// album and its songs. The tool is a stand-in whose run leaves a golden
// answer in the collection folder.

#include "disc_tool_fixture.h"

#include <chrono>
#include <thread>

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/acquisition/disc_lookup.h"
#include "qvls/acquisition/run_program.h"
#include "qvls/core/files.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

class DiscLookup : public DiscToolTest
{
protected:
    void SetUp() override
    {
        DiscToolTest::SetUp();
        settings().CDDrive = "D:";
        albumOnFile({{"ALB:Album", "Untitled"}, {"ALB:FileNumber", "CD0007"}});
        add(dictionary::Categories(), {{"CAT:Category", "Rock"}});
        add(dictionary::Categories(), {{"CAT:Category", "Jazz"}});
    }
    // The lookup of album 1, as the wizard or the album form runs it.
    void lookUp()
    {
        tables::Table& a = dictionary::Album();
        a.record().clear();
        a.record()["ALB:AlbumID"] = 1;
        ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYALBUMID")), 0);
        run([] { LookupCDDB(); });
    }
    static std::string album(const char* field) { return value(dictionary::Album(), field); }
};

TEST_F(DiscLookup, TheToolGetsItsSwitchesAndTheDriveAsArguments)
{
    struct Case {
        const char* drive;
        const char* folder;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"D:", "/opt/qvl/", {"/D", "/VID", "D:"}},
        {"  ", "/opt/qvl/", {"/D", "/VID"}},
        {"E:", "/opt/My Tools/", {"/D", "/VID", "E:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + std::string(" ") + c.drive);
        starts.clear();
        settings().CDDrive = c.drive;
        const std::string folder = c.folder;
        frameServices().programFolder = [folder] { return folder; };
        toolAnswers("single_artist.LOG");
        lookUp();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].program, folder + "trakhand");
        EXPECT_EQ(starts[0].args, c.args);
        EXPECT_EQ(starts[0].folder, collectionFolder());
        EXPECT_TRUE(finished);
    }
}

TEST_F(DiscLookup, TheAnswerFillsTheAlbumAndItsSongs)
{
    struct Case {
        const char* answer;
        std::vector<std::pair<const char*, const char*>> album;
        std::vector<std::string> songs;
    };
    const Case cases[] = {
        {"single_artist.LOG",
            {{"ALB:Artist", "Joni Mitchell"}, {"ALB:Album", "Blue"}, {"ALB:Media", "CD"}, {"ALB:ReleaseDate", "1971"},
                {"ALB:XCCD", "150 24000 48000 3000"}, {"ALB:FileNumber", "CD0007"}},
            // Only " / " splits on a single artist's album.
            {"1.1 All I Want / Joni Mitchell", "1.2 My Old Man - Live / Joni Mitchell", "1.3 River / Someone Else"}},
        {"compilation.LOG",
            {{"ALB:Artist", "Various Artists"}, {"ALB:Album", "Summer Hits"}, {"ALB:ReleaseDate", "1999"},
                {"ALB:Category", "Rock"}, {"ALB:CategoryID", "1"}},
            {"1.1 Sunny Day / The Beams", "1.2 Night Drive / Carla Moon", "1.3 Rain / Tom Field", "1.4 Shine / Ana Lee",
                "1.5 Without Any Artist / Various Artists",
                // A track's own artist line: its title is not split.
                "1.6 Hey - Jude / The Quarrymen"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        toolAnswers(c.answer);
        lookUp();
        EXPECT_EQ(messages, std::vector<std::string>{});
        for (const auto& [field, expected] : c.album)
            EXPECT_EQ(album(field), expected) << field;
        EXPECT_EQ(songsOf(1), c.songs);
    }
}

TEST_F(DiscLookup, CompilationArtistsAreRecognised)
{
    struct Case {
        const char* artist;
        const char* title;
        const char* albumArtist;
        const char* song; // track 1: "Night Drive - Carla Moon"
    };
    const Case cases[] = {
        {"erg", "Club Mix", "Various", "Night Drive / Carla Moon"},
        {"Promo Only", "Club Mix", "Various", "Night Drive / Carla Moon"},
        {"The Various Kind", "Club Mix", "The Various Kind", "Night Drive / Carla Moon"},
        {"Some Band", "Various Artists", "Some Band", "Night Drive / Carla Moon"},
        {"Some Band", "Club Mix", "Some Band", "Night Drive - Carla Moon / Some Band"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.artist + std::string(" - ") + c.title);
        std::string answer = "[DISC]\r\nTracks=1\r\nArtist=" + std::string(c.artist) + "\r\nTitle=" + c.title
            + "\r\n[TRACKS]\r\nTrack1=Night Drive - Carla Moon\r\n";
        toolRun = [this, answer] { writeFile(collection("TRAKHAND.LOG"), answer); };
        lookUp();
        EXPECT_EQ(album("ALB:Artist"), c.albumArtist);
        EXPECT_EQ(songsOf(1), std::vector<std::string>{"1.1 " + std::string(c.song)});
    }
}

TEST_F(DiscLookup, ArtistsTakeTheSpellingOfTheArtistList)
{
    add(dictionary::Artists(), {{"ART:Artist", "Moon, Carla"}});
    add(dictionary::Artists(), {{"ART:Artist", "Various Artists"}});
    toolAnswers("compilation.LOG");
    lookUp();
    EXPECT_EQ(songsOf(1).at(1), "1.2 Night Drive / Moon, Carla");
}

TEST_F(DiscLookup, TheGenreFindsOrAddsTheCategory)
{
    struct Case {
        const char* genre;
        std::int64_t id;
        std::int64_t categories;
    };
    const Case cases[] = {{"Jazz", 2, 2}, {"Folk", 3, 3}, {"", 0, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.genre);
        dictionary::Album().record()["ALB:CategoryID"] = 0;
        dictionary::Album().record()["ALB:XCCD"] = "0a000802";
        ASSERT_EQ(dictionary::Album().update(), 0);
        const std::string answer = "[DISC]\r\nTracks=1\r\nGenre=" + std::string(c.genre) + "\r\n";
        toolRun = [this, answer] { writeFile(collection("TRAKHAND.LOG"), answer); };
        lookUp();
        EXPECT_EQ(album("ALB:Category"), c.genre);
        EXPECT_EQ(album("ALB:XCCD"), "0a000802") << "no TOC in the answer: the disc id stays";
        EXPECT_EQ(dictionary::Album().record()["ALB:CategoryID"].toInt(), c.id);
        EXPECT_EQ(dictionary::Categories().records(), c.categories);
        tables::Table& songs = dictionary::Quorvel();
        songs.record().clear();
        songs.record()["SNG:AlbumID"] = 1;
        songs.record()["SNG:Side"] = 1;
        songs.record()["SNG:TrackNumber"] = 1;
        ASSERT_EQ(songs.fetch(songs.def().keyIndex("SNG:KeyAlbumID")), 0);
        EXPECT_EQ(songs.record()["SNG:CategoryID"].toInt(), c.id) << "the song takes the category too";
        EXPECT_EQ(value(songs, "SNG:Category"), c.genre);
    }
}

TEST_F(DiscLookup, NotesTakeLineBreaksAndFallBackOnTheLabel)
{
    toolAnswers("single_artist.LOG");
    lookUp();
    EXPECT_EQ(memo(dictionary::Album(), "ALB:Notes"), "Recorded in 1971\r\nat A&M Studios\r\n");
    toolAnswers("compilation.LOG");
    lookUp();
    EXPECT_EQ(memo(dictionary::Album(), "ALB:Notes"), "Sunburst Records");
}

TEST_F(DiscLookup, ASongOnFileKeepsItsOtherFieldsAndTheTimesAddUp)
{
    // The reading wrote track 2 with its time; the lookup names it.
    add(dictionary::Quorvel(),
        {{"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "2"}, {"SNG:Title", "Track 2"},
            {"SNG:Time", "18001"}, {"SNG:FileNumber", "CD0007"}});
    add(dictionary::Quorvel(),
        {{"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "3"}, {"SNG:Title", "Track 3"},
            {"SNG:Time", "6001"}});
    toolAnswers("single_artist.LOG");
    lookUp();
    EXPECT_EQ(songsOf(1).size(), 3u);
    tables::Table& songs = dictionary::Quorvel();
    songs.record().clear();
    songs.record()["SNG:ID"] = 1;
    ASSERT_EQ(songs.fetch(songs.def().keyIndex("SNG:KEYID")), 0);
    EXPECT_EQ(value(songs, "SNG:Title"), "My Old Man - Live");
    EXPECT_EQ(value(songs, "SNG:FileNumber"), "CD0007");
    EXPECT_EQ(songs.record()["SNG:Time"].toInt(), 18001);
    // 3:00 and 1:00 of the songs, the +1 once.
    EXPECT_EQ(dictionary::Album().record()["ALB:TotalTime"].toInt(), 24001);

    // A total the reading set stays.
    dictionary::Album().record()["ALB:TotalTime"] = 99901;
    ASSERT_EQ(dictionary::Album().update(), 0);
    lookUp();
    EXPECT_EQ(dictionary::Album().record()["ALB:TotalTime"].toInt(), 99901);
}

TEST_F(DiscLookup, NoAnswerIsToldAndLeavesTheAlbumAsItWas)
{
    // An answer of an earlier lookup is never read: the tool found nothing.
    writeFile(collection("TRAKHAND.LOG"), readFile(golden("single_artist.LOG")));
    lookUp();
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_EQ(messages, std::vector<std::string>{"Error: No information retrieved."});
    EXPECT_EQ(album("ALB:Album"), "Untitled");
    EXPECT_EQ(songsOf(1), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(collection("TRAKHAND.LOG")));

    messages.clear();
    runCode = 2;
    lookUp();
    EXPECT_EQ(messages,
        (std::vector<std::string>{"Critical Error Message: EXE, Batch File or PIF File Not Found:/opt/qvl/trakhand /D "
                                  "/VID D:",
            "Error: No information retrieved."}));
    EXPECT_TRUE(finished);
}

TEST_F(DiscLookup, APreparedAnswerTakesThePlaceOfTheTool)
{
    writeFile(collection("TRAKHAND.OFFLINE"), readFile(golden("single_artist.LOG")));
    writeFile(collection("CDDB_LOG.TXT"), "old");
    lookUp();
    EXPECT_EQ(starts.size(), 0u) << "no tool is started";
    EXPECT_EQ(album("ALB:Album"), "Blue");
    EXPECT_FALSE(std::filesystem::exists(collection("TRAKHAND.OFFLINE")));
    EXPECT_TRUE(std::filesystem::exists(collection("TRAKHAND.LOG")));
    EXPECT_FALSE(std::filesystem::exists(collection("CDDB_LOG.TXT")));
}

TEST_F(DiscLookup, TheWaitPollsOnItsOwnTimerInAWindowWithoutOne)
{
    toolAnswers("single_artist.LOG");
    toolRunning = true;
    rt::Window* shown = nullptr;
    run([&shown] {
        // A window that has no timer of its own.
        auto w = rt::Window::load("qvls", "CompileDate");
        w->setTimer(0);
        w->open();
        shown = w.get();
        tables::Table& a = dictionary::Album();
        a.record()["ALB:AlbumID"] = 1;
        a.fetch(a.def().keyIndex("ALB:KEYALBUMID"));
        LookupCDDB();
        EXPECT_EQ(w->timer(), 0) << "the window's own timer is as it was";
        w->close();
    });
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(finished) << "the tool still runs";
    EXPECT_EQ(shown->timer(), kProgramPollTicks);
    host->post(*shown, rt::Event{rt::event::Accepted, 1});
    host->advance(500);
    EXPECT_FALSE(finished);
    EXPECT_GE(polls, 4) << "the exit code is read on every tick";
    toolRunning = false;
    host->advance(100);
    answerMessages();
    EXPECT_TRUE(finished);
    EXPECT_EQ(album("ALB:Album"), "Blue");
}

TEST_F(DiscLookup, TheAlbumFormsLookupReadsTheDiscFirstWhenItCan)
{
    std::vector<std::string> called;
    bool reads = false;
    frameServices().callProcedure = [&](std::string_view name) {
        called.emplace_back(name);
        if (name != "ReadCDInformation")
            return rt::Procedures::call(name);
        EXPECT_EQ(fw::handover().request, 0) << "a full reading";
        threadGlo().cdTracks = {{150, 490}, {640, 109}};
        fw::handover().response = reads ? fw::response::Completed : fw::response::Cancelled;
        return true;
    };
    toolAnswers("single_artist.LOG");
    struct Case {
        const char* mode;
        const char* drive;
        bool reads;
        std::vector<std::string> called;
        std::size_t tools;
    };
    const Case cases[] = {
        {"Share", "D:", false, {"ReadCDInformation"}, 0},
        {"Share", "D:", true, {"ReadCDInformation"}, 1},
        {"Open", "D:", true, {}, 1},
        {"Share", "  ", true, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.drive + (c.reads ? " reads" : ""));
        settings().MCIMode = c.mode;
        settings().CDDrive = c.drive;
        reads = c.reads;
        called.clear();
        starts.clear();
        tables::Table& a = dictionary::Album();
        a.record()["ALB:AlbumID"] = 1;
        ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYALBUMID")), 0);
        run([] { rt::Procedures::call("StartDiscLookup"); });
        EXPECT_EQ(called, c.called);
        EXPECT_EQ(starts.size(), c.tools);
    }
}

} // namespace
} // namespace qv::qvls::testing

namespace qv::qvls::testing {
namespace {

// The lookup against a real process: a tool of its own in a program folder
// with a blank in its name, which takes a moment and leaves its answer in
// its working folder.
TEST_F(DiscLookup, AToolThatRunsForRealIsWaitedFor)
{
    const std::filesystem::path folder = collection("").parent_path().parent_path() / "My Programs";
    std::filesystem::create_directories(folder);
    const std::filesystem::path tool = folder / "trakhand";
    writeFile(tool,
        "#!/bin/sh\nsleep 0.3\nprintf '[DISC]\\r\\nTitle=Real\\r\\nNotes=%s\\r\\nTracks=1\\r\\n' \"$*\" > "
        "TRAKHAND.LOG\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    resetFrameServices();
    const std::string programs = folder.string() + "/";
    frameServices().programFolder = [programs] { return programs; };
    lookUp();
    for (int i = 0; i < 200 && !finished; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        host->advance(kProgramPollTicks * 10);
        answerMessages();
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(album("ALB:Album"), "Real");
    EXPECT_EQ(memo(dictionary::Album(), "ALB:Notes"), "/D /VID D:") << "the tool's arguments, as its answer";
}

} // namespace
} // namespace qv::qvls::testing
