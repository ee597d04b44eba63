#include <gtest/gtest.h>

#include "fixture.h"

namespace qv::cdaudio::testing {
namespace {

TEST(TocFile, EveryLineKind)
{
    const TocFileResult r = parseTocFile("# a mixed disc\r\n"
                                         "TRAY Open   # comment after a value\r\n"
                                         "disc audio\n"
                                         "\n"
                                         "track 1 150\n"
                                         "track 2 9000 DATA\n"
                                         "leadout 20000\n"
                                         "fail status  length 276\n"
                                         "fail open 262\n"
                                         "log  my commands.log  \n");
    ASSERT_TRUE(r.file) << r.error;
    const TocFile& f = *r.file;
    EXPECT_TRUE(f.trayOpen);
    EXPECT_EQ(f.disc, TocFile::Disc::Audio);
    ASSERT_EQ(f.toc.tracks.size(), 2u);
    EXPECT_EQ(f.toc.tracks[1].number, 2);
    EXPECT_EQ(f.toc.tracks[1].start, 9000);
    EXPECT_TRUE(f.toc.tracks[0].audio);
    EXPECT_FALSE(f.toc.tracks[1].audio);
    EXPECT_EQ(f.toc.leadout, 20000);
    ASSERT_EQ(f.failures.size(), 2u);
    EXPECT_EQ(f.failures[0].words, (std::vector<std::string>{"status", "length"}));
    EXPECT_EQ(f.failures[0].error, 276);
    EXPECT_EQ(f.log, "my commands.log");
}

TEST(TocFile, DefaultsAndDiscsWithoutTracks)
{
    const TocFileResult empty = parseTocFile("disc none\n");
    ASSERT_TRUE(empty.file) << empty.error;
    EXPECT_FALSE(empty.file->trayOpen);
    EXPECT_EQ(empty.file->disc, TocFile::Disc::None);
    const TocFileResult spinning = parseTocFile("disc notready");
    ASSERT_TRUE(spinning.file) << spinning.error;
    EXPECT_EQ(spinning.file->disc, TocFile::Disc::NotReady);
}

TEST(TocFile, MalformedFilesSayWhereAndWhy)
{
    const std::string disc = "track 1 150\ntrack 2 9000\nleadout 20000\n";
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"tray ajar\n" + disc, "line 1: tray takes one of open, closed"},
        {"tray open\ntray closed\n" + disc, "line 2: tray given twice"},
        {"disc vinyl\n" + disc, "line 1: disc takes one of audio, none, notready"},
        {"rack 1 150\n", "line 1: unknown keyword \"rack\""},
        {"track 1\n", "line 1: a track is \"track <number> <start frame> [data]\""},
        {"track 1 -150\n", "line 1: a track is"},
        {"track 1 15O\n", "line 1: a track is"},
        {"track 1 150 audio\n", "line 1: a track is"},
        {"track 1 150\ntrack 3 9000\n", "line 2: track 3 does not follow the track before"},
        {"track 0 150\n", "line 1: track 0 does not follow"},
        {"track 1 150\ntrack 2 150\n", "line 2: track 2 starts before the end of the track before"},
        {"track 1 150\nleadout 100\n", "line 2: the lead-out comes before the last track's start"},
        {disc + "track 3 30000\n", "line 4: tracks come before the lead-out"},
        {disc + "leadout 30000\n", "line 4: leadout given twice"},
        {"track 1 150\n", "an audio disc needs its tracks and its lead-out"},
        {"", "an audio disc needs its tracks and its lead-out"},
        {disc + "fail status\n", "line 4: a failure is"},
        {disc + "fail status ready\n", "line 4: a failure is"},
        {disc + "log\n", "line 4: log needs a file name"},
    };
    for (const Case& c : cases) {
        const TocFileResult r = parseTocFile(c.text);
        EXPECT_FALSE(r.file) << c.text;
        EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << c.text << " gave: " << r.error;
    }
}

TEST(TocFile, AFileThatIsNotThereNamesItself)
{
    const TocFileResult r = loadTocFile("/no/such/folder/drive.toc");
    EXPECT_FALSE(r.file);
    EXPECT_EQ(r.error, "/no/such/folder/drive.toc: cannot be read");
}

} // namespace
} // namespace qv::cdaudio::testing
