#include <gtest/gtest.h>

#include "tool_fixture.h"
#include "trakhand/error_log.h"

namespace qv::trakhand::testing {
namespace {

constexpr std::uint32_t kSubmit = cddb::kFlagChanged | cddb::kFlagSubmit;

class Submission : public ToolTest
{
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        fake.newDisc = makeDisc({"", "", ""}, "", "");
        fake.newDisc->artist.clear();
        fake.newDisc->title.clear();
    }
};

TEST_F(Submission, NewDiscTakesTheFileAndIsSubmitted)
{
    write("TRAKHAND.NEW",
        "[CDDB]\r\nARTIST=Nina\r\nALBUM=Live = Loud\r\nYEAR=1999\r\nTRACK1=Intro\r\n"
        "TRACK2=Song\r\nTRACKARTIST2=Guest\r\n");
    fake.discDialogFlags = kSubmit;
    EXPECT_EQ(run("trakhand /S /VID D:"), std::vector<std::string>{"New disc submitted."});
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(fake.submitted.size(), 1u);
    const cddb::Disc& d = fake.submitted[0];
    EXPECT_EQ(d.artist, "Nina");
    EXPECT_EQ(d.title, "Live = Loud");
    EXPECT_EQ(d.year, "1999");
    EXPECT_EQ(d.tracks[0].title, "Intro");
    EXPECT_EQ(d.tracks[1].artist, "Guest");
    EXPECT_TRUE(d.markPerTrackArtists);
    // The device stays open while the person edits the disc.
    EXPECT_EQ(audio.closed, std::vector<int>{7});
    EXPECT_EQ(audio.openNow, 0);
}

TEST_F(Submission, EditorClosedWithoutBothFlagsSubmitsNothing)
{
    for (std::uint32_t flags : {0u, cddb::kFlagChanged, cddb::kFlagSubmit}) {
        fake.submitted.clear();
        fake.discDialogFlags = flags;
        EXPECT_EQ(run("trakhand /S D:"), std::vector<std::string>{}) << flags;
        EXPECT_TRUE(fake.submitted.empty());
    }
}

TEST_F(Submission, WithoutADiscTheTocEditorTakesOver)
{
    write("TRAKHAND.NEW", "ARTIST=Nina\n");
    fake.newDisc = nullptr;
    fake.tocEditorFlags = kSubmit;
    EXPECT_EQ(run("trakhand /S D:"), std::vector<std::string>{"New disc submitted."});
    EXPECT_TRUE(called("EditAndSubmitToc 2a03b504 4 150 17000 36000 52000 963 7"));
    EXPECT_EQ(audio.openNow, 0);
}

TEST_F(Submission, FailingEditorIsLoggedAndTheDeviceClosed)
{
    fake.discDialogError = cddb::ComError(cddb::hr::kServer, "Submission refused.");
    EXPECT_EQ(run("trakhand /S D:"), std::vector<std::string>{"COM Error (82fa0011): Submission refused."});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(audio.openNow, 0);
    EXPECT_EQ(read(kErrorLogFile), "COM Error (82fa0011): Submission refused.\r\n");
}

TEST_F(Submission, DeviceAndTocFailuresEndTheFlow)
{
    audio.openError = 265;
    EXPECT_EQ(run("trakhand /S D:"), std::vector<std::string>{"Couldn't open audio device (MCI Error: 265)."});
    EXPECT_EQ(exitCode, 0);

    audio = FakeAudio{};
    fake.toc.clear();
    EXPECT_EQ(run("trakhand /S D:"),
        std::vector<std::string>{
            "Audio CD information unavailable.  Please verify there is an audio CD in your drive and try again."});
    EXPECT_EQ(audio.openNow, 0);
    EXPECT_FALSE(called("MakeNewDisc 2a03b504 4 150 17000 36000 52000 963"));
}

TEST_F(Submission, UpdateResubmitsTheMatchedDisc)
{
    fake.result = makeDisc({"One"});
    fake.discDialogFlags = kSubmit;
    EXPECT_EQ(run("trakhand /U D:"), std::vector<std::string>{"Updates submitted."});
    ASSERT_EQ(fake.submitted.size(), 1u);
    EXPECT_EQ(fake.submitted[0].title, "Blue Record");
    EXPECT_FALSE(exists("TRAKHAND.LOG"));
}

TEST_F(Submission, UpdateOfAnEnteredDiscOpensTheEditorWithoutANote)
{
    fake.match = cddb::kSeveralMatches;
    fake.result = std::make_shared<cddb::MatchList>();
    fake.picked = makeDisc({"Typed"}, "", "");
    EXPECT_EQ(run("trakhand /U D:"), std::vector<std::string>{});
    ASSERT_EQ(fake.discDialogs.size(), 1u);
    EXPECT_EQ(fake.discDialogs[0].second, 2);
    EXPECT_EQ(fake.discDialogs[0].first.tracks[0].title, "Typed");
}

TEST_F(Submission, LookupFailuresOfTheDiscSwitches)
{
    audio.openError = 275;
    for (const char* line : {"trakhand /U D:", "trakhand /X D:", "trakhand /B D:"}) {
        EXPECT_EQ(run(line), std::vector<std::string>{"Couldn't open audio device (MCI Error: 275)."}) << line;
        EXPECT_EQ(exitCode, 0) << line;
    }
}

TEST_F(Submission, NoMatchRunsTheNewDiscSubmissionOnly)
{
    fake.match = cddb::kNoMatch;
    for (const char* line : {"trakhand /X D:", "trakhand /B D:"}) {
        fake.calls.clear();
        EXPECT_EQ(run(line), std::vector<std::string>{"No match for CD."}) << line;
        EXPECT_TRUE(called("ShowDiscDialog 2")) << line; // the new disc's editor
        EXPECT_FALSE(called("ShowDiscDialog 0")) << line;
        EXPECT_FALSE(called("SwitchBOperation")) << line;
    }
}

TEST_F(Submission, UnexpectedMatchCode)
{
    fake.match = 0;
    fake.result = makeDisc({"One"});
    EXPECT_EQ(run("trakhand /B D:"), std::vector<std::string>{"Unexpected return from LookupMediaByToc."});
    EXPECT_FALSE(called("SwitchBOperation"));
    EXPECT_EQ(exitCode, 0);
}

} // namespace
} // namespace qv::trakhand::testing
