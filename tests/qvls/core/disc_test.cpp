#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qvls/core/disc_arithmetic.h"

namespace qv::qvls::testing {
namespace {

// A disc's queue from its track starts (frames, 2 seconds of lead-in
// included) and its lead-out: each track runs up to the next start, the
// last one to the frame before the lead-out, as the CD reader fills it.
std::vector<TrackPosition> queue(const std::vector<std::int32_t>& starts, std::int32_t leadOut)
{
    std::vector<TrackPosition> q;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::int32_t end = i + 1 < starts.size() ? starts[i + 1] : leadOut - 1;
        q.push_back({starts[i], end - starts[i]});
    }
    return q;
}

TEST(DiscArithmetic, FramesAndMsf)
{
    struct Case {
        std::int32_t frames;
        int m, s, f;
        const char* text;
    };
    const std::vector<Case> cases{
        {0, 0, 0, 0, "00:00:00"},
        {74, 0, 0, 74, "00:00:74"},
        {75, 0, 1, 0, "00:01:00"},
        {150, 0, 2, 0, "00:02:00"},
        {4499, 0, 59, 74, "00:59:74"},
        {4500, 1, 0, 0, "01:00:00"},
        {9000, 2, 0, 0, "02:00:00"},
        {335249, 74, 29, 74, "74:29:74"},
    };
    for (const Case& c : cases) {
        const Msf m = FramesToMsf(c.frames);
        EXPECT_EQ(m.minutes, c.m) << c.frames;
        EXPECT_EQ(m.seconds, c.s) << c.frames;
        EXPECT_EQ(m.frames, c.f) << c.frames;
        EXPECT_EQ(MsfToFrames(c.text), c.frames) << c.text;
    }
    // MCI's separators are not examined.
    EXPECT_EQ(MsfToFrames("02.00.00"), 9000);
    EXPECT_EQ(MsfToFrames(""), 0);
}

TEST(DiscArithmetic, DigitSumAndHexText)
{
    EXPECT_EQ(DigitSum(0), 0);
    EXPECT_EQ(DigitSum(-15), 0);
    EXPECT_EQ(DigitSum(200), 2);
    EXPECT_EQ(DigitSum(4321), 10);
    EXPECT_EQ(DigitSum(2147483647), 46);

    EXPECT_EQ(HexText(0x0A000802, 8, false), "0A000802");
    EXPECT_EQ(HexText(0xFFFFFFFF, 8, false), "FFFFFFFF");
    EXPECT_EQ(HexText(0, 4, false), "0000");
    EXPECT_EQ(HexText(255, 2, false), "FF");
    EXPECT_EQ(HexText(0x1F, 2, true), "0000001F"); // fixed: always 8 places
}

TEST(DiscArithmetic, DiscIdOfTheWorkedExample)
{
    // Two tracks at 150 and 640, the second 109 frames long.
    std::int32_t length = -1;
    EXPECT_EQ(ComputeDiscId({{150, 490}, {640, 109}}, length), "0a000802");
    // The lead-out's frames are added before its seconds are taken: 10 - 2 seconds.
    EXPECT_EQ(length, 800);
}

TEST(DiscArithmetic, EmptyQueueLeavesTheLengthAlone)
{
    std::int32_t length = 12345;
    EXPECT_EQ(ComputeDiscId({}, length), "");
    EXPECT_EQ(length, 12345);
}

TEST(DiscArithmetic, ChecksumIsTheTotalModulo255)
{
    // 28 starts at 9 seconds (digit sums 252) and one more start whose
    // digit sum makes the total 254, 255 or 256.
    struct Case {
        int lastSeconds;
        const char* checksum;
    };
    for (const Case& c : std::vector<Case>{{2, "fe"}, {3, "00"}, {4, "01"}}) {
        std::vector<TrackPosition> q(28, TrackPosition{9 * 75, 75});
        q.push_back({c.lastSeconds * 75, 75 * 60});
        std::int32_t length = 0;
        const std::string id = ComputeDiscId(q, length);
        EXPECT_EQ(id.substr(0, 2), c.checksum) << c.lastSeconds;
        EXPECT_EQ(id.substr(6), "1d");
    }
}

// Real discs: their tables of contents and the identifiers the disc
// databases publish for them (each also computed by the published method,
// in python3, when these cases were written).
TEST(DiscArithmetic, DiscIdsOfRealDiscs)
{
    struct Disc {
        const char* what;
        std::vector<std::int32_t> starts;
        std::int32_t leadOut;
        const char* id;
        std::int32_t seconds;
    };
    const std::vector<Disc> discs{
        {"22 tracks (the disc-id library's reference disc)",
            {150, 9700, 25887, 39297, 53795, 63735, 77517, 94877, 107270, 123552, 135522, 148422, 161197, 174790,
                192022, 205545, 218010, 228700, 239590, 255470, 266932, 288750},
            303602, "370fce16", 4046},
        {"10 audio tracks of an enhanced CD (its first session)",
            {150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}, 270335, "890e120a", 3602},
        {"11 tracks, lead-out at 3826 seconds",
            {150, 28615, 51027, 75835, 102620, 121460, 148977, 175697, 204322, 231082, 268002}, 3826 * 75, "920ef00b",
            3824},
    };
    for (const Disc& d : discs) {
        std::int32_t length = 0;
        EXPECT_EQ(ComputeDiscId(queue(d.starts, d.leadOut), length), d.id) << d.what;
        EXPECT_EQ(length, d.seconds * 100) << d.what;
    }
}

} // namespace
} // namespace qv::qvls::testing
