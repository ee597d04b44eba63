#include <gtest/gtest.h>

#include <sstream>

#include "trakhand/new_disc_file.h"

namespace qv::trakhand {
namespace {

cddb::Disc discOf(int tracks)
{
    cddb::Disc d;
    d.tracks.resize(static_cast<std::size_t>(tracks));
    return d;
}

cddb::Disc read(const std::string& text, int tracks = 3)
{
    cddb::Disc d = discOf(tracks);
    std::istringstream in(text);
    readNewDiscFile(in, d);
    return d;
}

std::vector<std::string> titles(const cddb::Disc& d)
{
    std::vector<std::string> out;
    for (const cddb::Track& t : d.tracks)
        out.push_back(t.title);
    return out;
}

TEST(NewDiscFile, FillsTheDiscFromItsKeys)
{
    const cddb::Disc d = read("[CDDB]\r\nALBUM=Blue Record\r\nARTIST=The Band\r\nYEAR=1971\r\n"
                              "TRACK1=Morning\r\nTRACK2=Noon\r\n");
    EXPECT_EQ(d.title, "Blue Record");
    EXPECT_EQ(d.artist, "The Band");
    EXPECT_EQ(d.year, "1971");
    EXPECT_EQ(titles(d), (std::vector<std::string>{"Morning", "Noon", ""}));
    EXPECT_FALSE(d.markPerTrackArtists);
}

TEST(NewDiscFile, TrackArtistMarksPerTrackArtists)
{
    const cddb::Disc d = read("TRACK2=Noon\nTRACKARTIST2=Guest\n");
    EXPECT_EQ(d.tracks[1].artist, "Guest");
    EXPECT_TRUE(d.markPerTrackArtists);
}

TEST(NewDiscFile, LinesThatAreNotTaken)
{
    struct Case {
        const char* text;
        std::vector<std::string> titles;
        const char* artist;
    };
    const Case cases[] = {
        // Keys match exactly: lower case, or a blank before "=", are no keys.
        {"track1=a\nARTIST =b\nTRACK1 =c\n", {"", "", ""}, ""},
        // An empty value is skipped, and so is a line without "=".
        {"TRACK1=a\nTRACK1=\nTRACK2\n", {"a", "", ""}, ""},
        // "TRACKS" limits the track lines after it; 0 or less means all.
        {"TRACK3=early\nTRACKS=2\nTRACK1=a\nTRACK2=b\nTRACK3=late\n", {"a", "b", "early"}, ""},
        {"TRACKS=0\nTRACK3=c\n", {"", "", "c"}, ""},
        {"TRACKS=none\nTRACK3=c\n", {"", "", "c"}, ""},
        {"TRACKS=-4\nTRACK3=c\n", {"", "", "c"}, ""},
        // Numbers are written without leading zeros.
        {"TRACK01=a\n", {"", "", ""}, ""},
        // The value keeps everything after the first "=", up to the line's end.
        {"TRACK1=a=b\nARTIST==x\n", {"a=b", "", ""}, "=x"},
        {"ARTIST=Crosby, Stills & Nash\r\n", {"", "", ""}, "Crosby, Stills & Nash"},
        {"=ARTIST=x\n", {"", "", ""}, ""},
    };
    for (const Case& c : cases) {
        const cddb::Disc d = read(c.text);
        EXPECT_EQ(titles(d), c.titles) << c.text;
        EXPECT_EQ(d.artist, c.artist) << c.text;
    }
}

TEST(NewDiscFile, TrackNumbersGoUpTo99)
{
    const cddb::Disc d = read("TRACK99=last\nTRACK100=past\n", 100);
    EXPECT_EQ(d.tracks[98].title, "last");
    EXPECT_EQ(d.tracks[99].title, "");
}

TEST(NewDiscFile, LongLinesDoNotEndTheReading)
{
    const std::string notes(5000, 'n');
    const cddb::Disc d = read("TRACK1=" + notes + "\nTRACK2=after\n");
    EXPECT_EQ(d.tracks[0].title, notes);
    EXPECT_EQ(d.tracks[1].title, "after");
}

TEST(NewDiscFile, TrackPastTheDiscsTracksIsTheDiscsFailure)
{
    EXPECT_THROW(read("TRACK4=extra\n", 3), cddb::ComError);
}

} // namespace
} // namespace qv::trakhand
