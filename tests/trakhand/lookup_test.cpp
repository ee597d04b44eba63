#include <gtest/gtest.h>

#include "tool_fixture.h"
#include "trakhand/error_log.h"

namespace qv::trakhand::testing {
namespace {

constexpr const char* kNoToc
    = "Audio CD information unavailable.  Please verify there is an audio CD in your drive and try again.";
constexpr const char* kPleaseNote
    = "Please note: The data you have just entered will not be immediately available through the CDDB service.";

class Lookup : public ToolTest
{
protected:
    // The result file of an exact match for the disc, without link lines.
    std::string resultOf(const std::string& tracks, const std::string& links = "") const
    {
        return "[PARAMETERS]\r\nDrive=D:\r\n \r\n[DISC]\r\nTOC=2a03b504 4 150 17000 36000 52000 963\r\n" + tracks
            + links;
    }
};

TEST_F(Lookup, ExactMatchWritesEveryLine)
{
    auto disc = makeDisc({"Morning", "Noon", "Night"});
    disc->tracks[1].artist = "Guest Singer";
    fake.result = disc;
    fake.links = std::make_shared<cddb::LinkList>();
    fake.links->links = {
        {"http://example.org/band", "infobonus", "The band's page"}, {"http://example.org/shop", "menubonus", "Shop"}};
    EXPECT_EQ(run("trakhand.exe /D /VID D:"), std::vector<std::string>{});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(read("TRAKHAND.LOG"),
        "[PARAMETERS]\r\n"
        "Drive=D:\r\n"
        " \r\n"
        "[DISC]\r\n"
        "TOC=2a03b504 4 150 17000 36000 52000 963\r\n"
        "Tracks=3\r\n"
        "Artist=The Band\r\n"
        "Title=Blue Record\r\n"
        "Genre=Rock\r\n"
        "Label=Side Street\r\n"
        "Year=1971\r\n"
        "Notes=Recorded live.\r\n"
        " \r\n"
        "[TRACKS]\r\n"
        "Track1=Morning\r\n"
        "Track2=Noon\r\n"
        "TrackArtist2=Guest Singer\r\n"
        "Track3=Night\r\n"
        "URLCount=2\r\n"
        "URLDesc1=The band's page\r\n"
        "URLLink1=http://example.org/band\r\n"
        "URLType1=infobonus\r\n"
        "URLDesc2=Shop\r\n"
        "URLLink2=http://example.org/shop\r\n"
        "URLType2=menubonus\r\n");
    EXPECT_EQ(audio.opened, std::vector<std::string>{"D:"});
    EXPECT_EQ(audio.openNow, 0);
    EXPECT_TRUE(called("ReadTocFromDevice 7"));
}

TEST_F(Lookup, KnownDiscWithoutLinksAndWithoutGenre)
{
    auto disc = makeDisc({});
    disc->genreId.clear();
    fake.result = disc;
    fake.links = std::make_shared<cddb::LinkList>();
    run("trakhand /D D:");
    EXPECT_EQ(read("TRAKHAND.LOG"),
        resultOf("Tracks=0\r\nArtist=The Band\r\nTitle=Blue Record\r\nGenre=Unknown\r\nLabel=Side Street\r\n"
                 "Year=1971\r\nNotes=Recorded live.\r\n \r\n[TRACKS]\r\nURLCount=0\r\n"));
}

TEST_F(Lookup, SeveralMatchesTheChosenOneIsCompleted)
{
    fake.match = cddb::kSeveralMatches;
    fake.result = std::make_shared<cddb::MatchList>();
    fake.picked = makeDisc({});
    fake.completed = makeDisc({"Full"}, "jazz");
    run("trakhand /D D:");
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(called("CompleteDiscRecord"));
    EXPECT_EQ(read("TRAKHAND.LOG"),
        resultOf("Tracks=1\r\nArtist=The Band\r\nTitle=Blue Record\r\nGenre=Jazz\r\nLabel=Side Street\r\n"
                 "Year=1971\r\nNotes=Recorded live.\r\n \r\n[TRACKS]\r\nTrack1=Full\r\n"));
}

TEST_F(Lookup, SeveralMatchesNoneChosen)
{
    write("TRAKHAND.LOG", "earlier");
    fake.match = cddb::kSeveralMatches;
    fake.result = std::make_shared<cddb::MatchList>();
    EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{"No matched disc selected."});
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(read("TRAKHAND.LOG"), "earlier");
}

TEST_F(Lookup, EnteredDiscIsWrittenWithANoteAndNoLinks)
{
    fake.match = cddb::kSeveralMatches;
    fake.result = std::make_shared<cddb::MatchList>();
    fake.picked = makeDisc({"Typed"}, "", "");
    fake.links = std::make_shared<cddb::LinkList>();
    EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{kPleaseNote});
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(called("CompleteDiscRecord"));
    EXPECT_FALSE(called("ObtainDiscLinks"));
    EXPECT_EQ(read("TRAKHAND.LOG"),
        resultOf("Tracks=1\r\nArtist=The Band\r\nTitle=Blue Record\r\nGenre=Unknown\r\nLabel=Side Street\r\n"
                 "Year=1971\r\nNotes=Recorded live.\r\n \r\n[TRACKS]\r\nTrack1=Typed\r\n"));
}

TEST_F(Lookup, NoMatchOffersTheSubmissionAndWritesNothing)
{
    fake.match = cddb::kNoMatch;
    fake.newDisc = makeDisc({"One"}, "", "");
    EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{"No match for CD."});
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(called("ShowDiscDialog 2"));
    EXPECT_FALSE(exists("TRAKHAND.LOG"));
    EXPECT_EQ(audio.openNow, 0);
}

TEST_F(Lookup, LineBreaksInValuesKeepTheLayout)
{
    auto disc = makeDisc({"First\r\nline", "Two"});
    disc->notes = "Side one.\r\nSide two.\nEnd\r";
    disc->artist = "The\nBand";
    disc->tracks[1].artist = "A\rB";
    fake.result = disc;
    fake.links = std::make_shared<cddb::LinkList>();
    fake.links->links = {{"http://x/\n", "info\nbonus", "Two\r\nlines"}};
    run("trakhand /D D:");
    EXPECT_EQ(read("TRAKHAND.LOG"),
        resultOf("Tracks=2\r\nArtist=The Band\r\nTitle=Blue Record\r\nGenre=Rock\r\nLabel=Side Street\r\n"
                 "Year=1971\r\nNotes=Side one.\\nSide two.\\nEnd\\n\r\n \r\n[TRACKS]\r\nTrack1=First line\r\n"
                 "Track2=Two\r\nTrackArtist2=A B\r\nURLCount=1\r\nURLDesc1=Two lines\r\nURLLink1=http://x/ \r\n"
                 "URLType1=info bonus\r\n"));
}

TEST_F(Lookup, FailingLinkListIsLoggedAndTheFileStillWritten)
{
    fake.result = makeDisc({"One"});
    fake.linksError = cddb::ComError(cddb::hr::kServer, "The server refused the request.");
    EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{"COM Error (82fa0011): The server refused the request."});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(read("TRAKHAND.LOG").find("URLCount"), std::string::npos);
    EXPECT_NE(read("TRAKHAND.LOG").find("Track1=One\r\n"), std::string::npos);
}

TEST_F(Lookup, ResultFileThatCannotBeWrittenSaysSo)
{
    std::filesystem::create_directory("TRAKHAND.LOG");
    fake.result = makeDisc({"One"});
    const auto messages = run("trakhand /D D:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Couldn't write the result file TRAKHAND.LOG (", 0), 0u) << messages[0];
    EXPECT_EQ(exitCode, 1);
}

TEST_F(Lookup, FailuresOfTheLookup)
{
    struct Case {
        const char* what;
        std::function<void(FakeService&, FakeAudio&)> setUp;
        std::string message;
        int exitCode;
    };
    const Case cases[] = {
        {"open fails", [](FakeService&, FakeAudio& a) { a.openError = 275; },
            "Couldn't open audio device on drive D: (MCI Error: 275).", 1},
        {"no TOC", [](FakeService& s, FakeAudio&) { s.toc.clear(); }, kNoToc, 1},
        {"lookup fails",
            [](FakeService& s, FakeAudio&) { s.lookupError = cddb::ComError(cddb::hr::kNetwork, "No answer."); },
            "COM Error (82fa0010): No answer.", 1},
        {"completion fails",
            [](FakeService& s, FakeAudio&) {
                s.match = cddb::kSeveralMatches;
                s.result = std::make_shared<cddb::MatchList>();
                s.picked = makeDisc({});
                s.completeError = cddb::ComError(cddb::hr::kBadAnswer, "The answer was damaged.");
            },
            "COM Error (82fa0012): The answer was damaged.", 1},
        {"unexpected code", [](FakeService& s, FakeAudio&) { s.match = 7; }, "Unexpected return from LookupMediaByToc.",
            0},
    };
    for (const Case& c : cases) {
        fake = FakeService{};
        audio = FakeAudio{};
        c.setUp(fake, audio);
        EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(exitCode, c.exitCode) << c.what;
        EXPECT_EQ(audio.openNow, 0) << c.what;
        EXPECT_FALSE(exists("TRAKHAND.LOG")) << c.what;
    }
}

TEST_F(Lookup, WithoutADriveNoDeviceIsOpened)
{
    fake.result = makeDisc({"One"});
    run("trakhand /D");
    EXPECT_TRUE(audio.opened.empty());
    EXPECT_TRUE(called("ReadTocFromDevice 0"));
    EXPECT_NE(read("TRAKHAND.LOG").find("Drive=\r\n"), std::string::npos);
}

TEST_F(Lookup, EventsStepTheBarAndFillTheLog)
{
    fake.result = makeDisc({"One"});
    std::vector<std::string> seen;
    fake.duringLookup = [&](cddb::ControlEvents* sink) {
        sink->CommandProgress(10, 1, 1, 2);
        sink->CommandProgress(10, 2, 2, 2);
        sink->LogMessage("query sent");
        rt::Window* w = host.window("LookupDialog");
        ASSERT_NE(w, nullptr);
        seen.push_back(w->control("?Progress")->value());
        const rt::ListSource* log = w->control("?EventLog")->list();
        for (int r = 0; r < log->rowCount(); ++r)
            seen.push_back(log->cell(r, 0));
    };
    run("trakhand /D D:");
    EXPECT_EQ(seen,
        (std::vector<std::string>{"4", "CommandProgress: Cmd=10 (Progress=1) [1 of 2]",
            "CommandProgress: Cmd=10 (Progress=2) [2 of 2]", "LogMessage: query sent"})); // 2 of 50
}

} // namespace
} // namespace qv::trakhand::testing
