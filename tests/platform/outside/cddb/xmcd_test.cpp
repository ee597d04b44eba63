#include <gtest/gtest.h>

#include "fixtures.h"
#include "platform/outside/cddb/client.h"
#include "platform/outside/cddb/xmcd.h"

namespace qv::cddb {
namespace {

using testing::fixture;

std::uint32_t errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ComError& e) {
        return e.code();
    }
    return 0;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(Xmcd, ReadsEveryFieldOfARecord)
{
    const Disc disc = fromXmcd(fixture("rock/30038e04"));
    EXPECT_EQ(disc.discId, "30038e04");
    EXPECT_EQ(disc.artist, "The Lanterns");
    EXPECT_EQ(disc.title, "Harbour Lights");
    EXPECT_EQ(disc.year, "1998");
    EXPECT_EQ(disc.genreId, "Indie Rock");
    EXPECT_EQ(disc.notes, "Recorded live.\nMixed at home.\tTake 2.");
    EXPECT_EQ(disc.revision, 3);
    EXPECT_EQ(disc.toc, "30038e04 4 150 18327 34162 50932 912");
    EXPECT_FALSE(disc.markPerTrackArtists);
    ASSERT_EQ(disc.trackCount(), 4);
    EXPECT_EQ(disc.tracks[1].title, "Café Étoile");
    EXPECT_EQ(disc.tracks[1].extended, "Sung in French.");
    EXPECT_EQ(disc.tracks[2].title, "Rope \\ Anchor");
    EXPECT_EQ(disc.tracks[3].title,
        "The Long Way Home (Extended Version, Recorded at the Harbour Hall on the Last "
        "Night of the Tour)");
    for (const Track& track : disc.tracks)
        EXPECT_EQ(track.artist, "");
}

TEST(Xmcd, SplitsPerTrackArtistsAtTheFirstSeparator)
{
    const Disc disc = fromXmcd(fixture("folk/21031e05"));
    EXPECT_TRUE(disc.markPerTrackArtists);
    EXPECT_EQ(disc.revision, 0); // no revision line
    EXPECT_EQ(disc.genreId, "");
    ASSERT_EQ(disc.trackCount(), 5);
    const std::pair<const char*, const char*> expected[] = {{"Ann Reed", "Road North"}, {"Ben Hale", "Mill Song"},
        {"", "Interlude"}, {"Cora Wynn", "River / Sea"}, {"Ann Reed", "Road South"}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(disc.tracks[i].artist, expected[i].first) << i;
        EXPECT_EQ(disc.tracks[i].title, expected[i].second) << i;
    }
}

TEST(Xmcd, ATitleWithoutSeparatorNamesArtistAndTitleAndARecordMayServeSeveralDiscs)
{
    const std::string text = fixture("jazz/1702ba03");
    const Disc first = fromXmcd(text);
    EXPECT_EQ(first.artist, "Sketches");
    EXPECT_EQ(first.title, "Sketches");
    EXPECT_EQ(first.discId, "0a0b0c0d");
    EXPECT_EQ(fromXmcd(text, "1702BA03").discId, "1702ba03");
    EXPECT_EQ(errorOf([&] { fromXmcd(text, "30038e04"); }), hr::kBadAnswer);
}

TEST(Xmcd, RefusesRecordsThatCouldGiveAWrongDisc)
{
    const std::string good = fixture("misc/1702ba03");
    std::string manyOffsets = "# xmcd\n# Track frame offsets:\n";
    for (int i = 0; i < 101; ++i)
        manyOffsets += "#\t" + std::to_string(150 + i * 100) + "\n";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"no header", replaced(good, "# xmcd", "# notes")},
        {"no offsets", replaced(good, "# Track frame offsets:", "# Frames:")},
        {"no disc length", replaced(good, "# Disc length: 700 seconds", "#")},
        {"length before the last track", replaced(good, "700 seconds", "300 seconds")},
        {"offsets falling", replaced(good, "#\t21052", "#\t50000")},
        {"too many offsets", manyOffsets},
        {"no DISCID", replaced(good, "DISCID=1702ba03\n", "")},
        {"DISCID not an id", replaced(good, "DISCID=1702ba03", "DISCID=1702ba0")},
        {"no DTITLE", replaced(good, "DTITLE=Quiet Rooms / Sketches\n", "")},
        {"a track title missing", replaced(good, "TTITLE1=Two\n", "")},
        {"a title past the offsets", replaced(good, "TTITLE2=Three\n", "TTITLE2=Three\nTTITLE3=Four\n")},
        {"notes past the offsets", replaced(good, "EXTT2=\n", "EXTT2=\nEXTT7=x\n")},
        {"track index past every disc", replaced(good, "EXTT2=\n", "EXTT2=\nEXTT100=x\n")},
        {"revision not a number", replaced(good, "# Revision: 0", "# Revision: new")},
        {"a line of no kind", replaced(good, "DYEAR=\n", "DYEAR\n")},
        {"lower-case key", replaced(good, "DYEAR=", "dyear=")},
        {"not UTF-8", replaced(good, "One", "On\xe9")},
        {"overlong UTF-8", replaced(good, "One", "O\xc0\xaf")},
        {"control character", replaced(good, "One", "O\x01ne")},
        {"larger than 1 MiB", good + std::string(kMaxAnswerBytes, '#')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { fromXmcd(c.text); }), hr::kBadAnswer) << c.what;
    EXPECT_EQ(errorOf([&] { fromXmcd(good); }), 0u);
}

Disc sampleDisc()
{
    Disc disc;
    disc.artist = "Ann Reed";
    disc.title = "Lines \\ Breaks";
    disc.year = "2019";
    disc.genreId = "Folk Rock";
    disc.notes = "First line\nSecond\tline \\n not an escape";
    disc.toc = "21031e05 5 150 9000 20000 31000 45000 800";
    disc.playOrder = "1,3,2";
    disc.tracks = {{"Road North", "", ""}, {"Mill Song", "Ben Hale", "a\nb"}, {"Interlude", "", ""},
        {"River", "Cora Wynn", ""}, {"Road South", "", "end"}};
    disc.markPerTrackArtists = true;
    return disc;
}

void expectSameDisc(const Disc& a, const Disc& b)
{
    EXPECT_EQ(a.artist, b.artist);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.year, b.year);
    EXPECT_EQ(a.genreId, b.genreId);
    EXPECT_EQ(a.notes, b.notes);
    EXPECT_EQ(a.toc, b.toc);
    EXPECT_EQ(a.playOrder, b.playOrder);
    EXPECT_EQ(a.markPerTrackArtists, b.markPerTrackArtists);
    ASSERT_EQ(a.trackCount(), b.trackCount());
    for (int i = 0; i < a.trackCount(); ++i) {
        EXPECT_EQ(a.tracks[i].title, b.tracks[i].title) << i;
        EXPECT_EQ(a.tracks[i].artist, b.tracks[i].artist) << i;
        EXPECT_EQ(a.tracks[i].extended, b.tracks[i].extended) << i;
    }
}

TEST(Xmcd, RoundTripKeepsEveryValueAndKeepsLinesShort)
{
    // Values that straddle the line limit with escapes and multi-byte letters.
    const std::string longValues[] = {std::string(600, 'x'), std::string(700, '\\'), std::string(300, '\n'),
        std::string(250, 'a') + "\\\\\\" + std::string(300, 'b'), [] {
            std::string s;
            for (int i = 0; i < 200; ++i)
                s += "é€𝄞";
            return s;
        }()};
    for (const auto& value : longValues) {
        Disc disc = sampleDisc();
        disc.notes = value;
        disc.tracks[2].title = value;
        const std::string text = toXmcd(disc);
        std::size_t pos = 0;
        while (pos < text.size()) {
            const auto end = text.find('\n', pos);
            ASSERT_NE(end, std::string::npos);
            EXPECT_LE(end - pos, kMaxXmcdLine);
            EXPECT_TRUE(isValidUtf8(text.substr(pos, end - pos))) << text.substr(pos, end - pos);
            pos = end + 1;
        }
        const Disc back = fromXmcd(text);
        expectSameDisc(back, disc);
        EXPECT_EQ(back.discId, "21031e05");
    }
}

TEST(Xmcd, WritesTheNextRevisionAndTheTocOfTheDisc)
{
    Disc disc = sampleDisc();
    EXPECT_NE(toXmcd(disc).find("# Revision: 0\n"), std::string::npos);
    disc.revision = 3;
    const std::string text = toXmcd(disc, "Quorvel 2.61");
    EXPECT_NE(text.find("# Revision: 4\n"), std::string::npos);
    EXPECT_NE(text.find("# Submitted via: Quorvel 2.61\n"), std::string::npos);
    EXPECT_NE(text.find("#\t150\n#\t9000\n#\t20000\n#\t31000\n#\t45000\n"), std::string::npos);
    EXPECT_NE(text.find("# Disc length: 800 seconds\n"), std::string::npos);
    EXPECT_NE(text.find("DTITLE=Ann Reed / Lines \\\\ Breaks\n"), std::string::npos);
    EXPECT_NE(text.find("TTITLE1=Ben Hale / Mill Song\n"), std::string::npos);
    EXPECT_EQ(fromXmcd(text).revision, 4);
}

TEST(Xmcd, RefusesToWriteADiscWithoutAFittingToc)
{
    const struct {
        const char* toc;
        int tracks;
    } cases[] = {{"", 5}, {"21031e05 5 150 9000 20000 31000 800", 5}, {"21031e05 2 150 9000 800", 5},
        {"zz031e05 5 150 9000 20000 31000 45000 800", 5}, {"21031e05 5 150 9000 9000 31000 45000 800", 5},
        {"21031e05 5 150 9000 20000 31000 45000 100", 5}};
    for (const auto& c : cases) {
        Disc disc = sampleDisc();
        disc.toc = c.toc;
        disc.tracks.resize(c.tracks);
        EXPECT_EQ(errorOf([&] { toXmcd(disc); }), hr::kInvalidArgument) << c.toc;
    }
}

} // namespace
} // namespace qv::cddb
