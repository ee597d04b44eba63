// The frame-header search, the decoded values, the Xing frame count and the
// play time, over small byte images.

#include <functional>

#include "tests/hdrscan/mp3_fixture.h"

namespace qv::hdrscan::test {
namespace {

constexpr std::size_t kSize = 320000; // 2560 kbit: the play time is 2560 / bit rate

// A header that differs from the default in every decoded value, placed after the
// refused candidates so that a wrongly accepted candidate shows.
const Header kLater{kMpeg1, kLayer2, 11, 1, kStereo}; // 224 kbit/s, 48000 Hz

struct Expect {
    const char* version;
    const char* mode;
    int frequency;
    int bitRate;
    int length;
    bool result;
};

const Expect kNone{"", "", 0, 0, 0, false};
const Expect kDefault{"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 20, true};
const Expect kLaterFound{"MPEG 1 Layer II", "Stereo", 48000, 224, 11, true};

struct Case {
    const char* name;
    std::function<Image()> build;
    Expect expect;
};

Image At(std::size_t offset, const Header& h, std::size_t size = kSize)
{
    return Image(size).Put(offset, h.Encode());
}

Image RefusedThenLater(const Bytes& refused)
{
    return Image(kSize).Put(100, refused).Put(1000, kLater.Encode());
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

const Case kCases[] = {
    // Where the search looks.
    {"HeaderAtByteZero", [] { return At(0, Header{}); }, kDefault},
    {"HeaderAtLastSearchedPosition", [] { return At(204800, Header{}); }, kDefault},
    {"HeaderOnePastTheLimitIsNotFound", [] { return At(204801, Header{}); }, kNone},
    {"HeaderAcrossTheFirstRead", [] { return At(4094, Header{}); }, kDefault},
    {"LoneSyncBytesAreNotAHeader",
        [] {
            return RefusedThenLater(Bytes{0xFF, 0xFF, 0xFF});
        },
        kLaterFound},

    // Refused field values are passed over and the search goes on.
    {"BitRateIndex15Skipped", [] { return RefusedThenLater(Header{.bitRateIndex = 15}.Encode()); }, kLaterFound},
    {"FreeFormatSkipped", [] { return RefusedThenLater(Header{.bitRateIndex = 0}.Encode()); }, kLaterFound},
    {"SamplingIndex3Skipped", [] { return RefusedThenLater(Header{.rateIndex = 3}.Encode()); }, kLaterFound},
    {"ReservedLayerSkipped", [] { return RefusedThenLater(Header{.layer = kReservedLayer}.Encode()); }, kLaterFound},
    {"ReservedVersionSkipped", [] { return RefusedThenLater(Header{.version = kReservedVersion}.Encode()); },
        kLaterFound},
    {"Emphasis2Skipped", [] { return RefusedThenLater(Header{.emphasis = 2}.Encode()); }, kLaterFound},
    {"ShortSyncSkipped",
        [] {
            return RefusedThenLater(Bytes{0xFF, 0xDB, 0x90, 0x40});
        },
        kLaterFound},
    {"Emphasis3Accepted", [] { return At(0, Header{.emphasis = 3}); }, kDefault},

    // Versions, layers, bit-rate rows (both ends and the middle), sampling rates, modes.
    {"Mpeg25Rate0",
        [] {
            return At(0, Header{kMpeg25, kLayer3, 8, 0, kSingleChannel});
        },
        {"MPEG 2.5 Layer III", "Single Channel", 11025, 64, 40, true}},
    {"Mpeg25Rate1",
        [] {
            return At(0, Header{kMpeg25, kLayer3, 8, 1, kStereo});
        },
        {"MPEG 2.5 Layer III", "Stereo", 12000, 64, 40, true}},
    {"Mpeg25Rate2",
        [] {
            return At(0, Header{kMpeg25, kLayer3, 8, 2, kDualChannel});
        },
        {"MPEG 2.5 Layer III", "Dual Channel", 8000, 64, 40, true}},
    {"Mpeg25Layer2UsesMpeg2Row",
        [] {
            return At(0, Header{kMpeg25, kLayer2, 14, 0, kStereo});
        },
        {"MPEG 2.5 Layer II", "Stereo", 11025, 160, 16, true}},
    {"Mpeg1Layer1Top",
        [] {
            return At(0, Header{kMpeg1, kLayer1, 14, 1, kStereo});
        },
        {"MPEG 1 Layer I", "Stereo", 48000, 448, 5, true}},
    {"Mpeg1Layer1Middle",
        [] {
            return At(0, Header{kMpeg1, kLayer1, 5, 2, kStereo});
        },
        {"MPEG 1 Layer I", "Stereo", 32000, 160, 16, true}},
    {"Mpeg1Layer1Bottom",
        [] {
            return At(0, Header{kMpeg1, kLayer1, 1, 0, kStereo});
        },
        {"MPEG 1 Layer I", "Stereo", 44100, 32, 80, true}},
    {"Mpeg1Layer2Top",
        [] {
            return At(0, Header{kMpeg1, kLayer2, 14, 0, kDualChannel});
        },
        {"MPEG 1 Layer II", "Dual Channel", 44100, 384, 6, true}},
    {"Mpeg1Layer2Middle",
        [] {
            return At(0, Header{kMpeg1, kLayer2, 5, 0, kStereo});
        },
        {"MPEG 1 Layer II", "Stereo", 44100, 80, 32, true}},
    {"Mpeg1Layer2Bottom",
        [] {
            return At(0, Header{kMpeg1, kLayer2, 1, 0, kStereo});
        },
        {"MPEG 1 Layer II", "Stereo", 44100, 32, 80, true}},
    {"Mpeg1Layer3Top",
        [] {
            return At(0, Header{kMpeg1, kLayer3, 14, 2, kSingleChannel});
        },
        {"MPEG 1 Layer III", "Single Channel", 32000, 320, 8, true}},
    {"Mpeg1Layer3Middle",
        [] {
            return At(0, Header{kMpeg1, kLayer3, 5, 0, kStereo});
        },
        {"MPEG 1 Layer III", "Stereo", 44100, 64, 40, true}},
    {"Mpeg1Layer3Bottom",
        [] {
            return At(0, Header{kMpeg1, kLayer3, 1, 0, kStereo});
        },
        {"MPEG 1 Layer III", "Stereo", 44100, 32, 80, true}},
    {"Mpeg2Layer1Top",
        [] {
            return At(0, Header{kMpeg2, kLayer1, 14, 1, kStereo});
        },
        {"MPEG 2 Layer I", "Stereo", 24000, 256, 10, true}},
    {"Mpeg2Layer1Middle",
        [] {
            return At(0, Header{kMpeg2, kLayer1, 9, 1, kStereo});
        },
        {"MPEG 2 Layer I", "Stereo", 24000, 144, 17, true}},
    {"Mpeg2Layer2Top",
        [] {
            return At(0, Header{kMpeg2, kLayer2, 14, 2, kStereo});
        },
        {"MPEG 2 Layer II", "Stereo", 16000, 160, 16, true}},
    {"Mpeg2Layer3Bottom",
        [] {
            return At(0, Header{kMpeg2, kLayer3, 1, 0, kJointStereo});
        },
        {"MPEG 2 Layer III", "Joint Stereo", 22050, 8, 320, true}},
    {"Mpeg2Layer3Middle",
        [] {
            return At(0, Header{kMpeg2, kLayer3, 9, 0, kJointStereo});
        },
        {"MPEG 2 Layer III", "Joint Stereo", 22050, 80, 32, true}},
    {"TooShortForOneFrame", [] { return At(0, Header{}, 400); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 0, false}},

    // The Xing header and its frame count.
    {"XingAtMpeg1MonoOffset",
        [] {
            return At(0, Header{kMpeg1, kLayer3, 9, 0, kSingleChannel}, 417960).Put(21, Xing(1, 2000));
        },
        {"MPEG 1 Layer III", "Single Channel", 44100, 64, 52, true}},
    {"XingAfterACrcIsNotSeen",
        [] {
            return At(0, Header{kMpeg1, kLayer3, 9, 0, kSingleChannel}, 417960).Put(23, Xing(1, 2000));
        },
        {"MPEG 1 Layer III", "Single Channel", 44100, 128, 26, true}},
    {"XingAtMpeg1StereoOffsetAfterLaterHeader", [] { return At(500, Header{}).Put(536, Xing(1, 1000)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 98, 26, true}},
    {"XingBeyondTheFirstRead", [] { return At(4080, Header{}).Put(4116, Xing(1, 1000)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 98, 26, true}},
    {"XingMpeg2Layer3UsesFactor72",
        [] {
            return At(0, Header{kMpeg2, kLayer3, 8, 0, kJointStereo}, 200000).Put(21, Xing(1, 1000));
        },
        {"MPEG 2 Layer III", "Joint Stereo", 22050, 61, 26, true}},
    {"XingAtMpeg2MonoOffset",
        [] {
            return At(0, Header{kMpeg2, kLayer3, 8, 0, kSingleChannel}, 200000).Put(13, Xing(1, 1000));
        },
        {"MPEG 2 Layer III", "Single Channel", 22050, 61, 26, true}},
    {"XingLayer1UsesFactor48",
        [] {
            return At(0, Header{kMpeg1, kLayer1, 8, 0, kJointStereo}).Put(36, Xing(1, 1000));
        },
        {"MPEG 1 Layer I", "Joint Stereo", 44100, 294, 8, true}},
    {"XingWithoutFramesUsesTableRate", [] { return At(0, Header{}).Put(36, Xing(0x0E, 1000)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 20, false}},
    {"XingWithZeroFramesUsesTableRate", [] { return At(0, Header{}).Put(36, Xing(1, 0)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 20, false}},
    {"XingWithNegativeFrameCount", [] { return At(0, Header{}).Put(36, Xing(1, 0xFFFFFFF0u)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 20, false}},
    {"XingAverageBelowOneUsesTableRate", [] { return At(0, Header{}).Put(36, Xing(1, 0x7FFFFFFF)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 20, true}},
    {"XingCutOffByEndOfFile", [] { return At(0, Header{}, 36).Append(Xing(1)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 0, false}},

    // A leading ID3v2 tag is stepped over; its UTF-16 texts would pass as headers.
    {"Id3v2TextFrameIsNotAHeader",
        [] {
            return Image(kSize)
                .Put(0, Id3v2Header(64))
                .Put(10, Bytes{'T', 'I', 'T', '2', 0, 0, 0, 9, 0, 0, 1, 0xFF, 0xFE, 'T', 0, 'i', 0, 't', 0})
                .Put(74, Header{}.Encode());
        },
        kDefault},
    {"MalformedId3v2IsScannedThrough",
        [] {
            Bytes tag = Id3v2Header(64);
            tag[9] = 0x80;
            return Image(kSize)
                .Put(0, tag)
                .Put(10, Bytes{'T', 'I', 'T', '2', 0, 0, 0, 9, 0, 0, 1, 0xFF, 0xFE, 'T', 0, 'i', 0, 't', 0})
                .Put(74, Header{}.Encode());
        },
        {"MPEG 1 Layer I", "Stereo", 48000, 160, 16, true}},
    {"Id3v2FooterIsStepped", [] { return At(74, Header{}).Put(0, Id3v2Header(54, 4, 0x10)).Put(64, kLater.Encode()); },
        kDefault},
    {"SearchCoversTheSpanAfterId3v2",
        [] { return At(300010 + 204800, Header{}, 300010 + kSize).Put(0, Id3v2Header(300000)); },
        {"MPEG 1 Layer III", "Joint Stereo", 44100, 128, 38, true}},
    {"SearchEndsOnePastTheSpanAfterId3v2",
        [] { return At(300010 + 204801, Header{}, 300010 + kSize).Put(0, Id3v2Header(300000)); }, kNone},
    // A tag said to end past the end of the file is damaged; the file is read from its start.
    {"Id3v2LongerThanTheFileIsReadFromTheStart",
        [] {
            const Bytes frame = Header{}.Encode(); // 417 bytes long at 128 kbit/s and 44100 Hz
            return Image(kSize).Put(0, Id3v2Header(0x0FFFFFFF)).Put(10, frame).Put(427, frame).Put(844, frame);
        },
        kDefault},
    {"Id3v2EndingAtTheEndOfTheFileIsStepped",
        [] { return Image(kSize).Put(0, Id3v2Header(kSize - 10)).Put(100, Header{}.Encode()); }, kNone},
    {"Id3v2EndingOnePastTheEndOfTheFileIsReadFromTheStart",
        [] { return Image(kSize).Put(0, Id3v2Header(kSize - 9)).Put(100, Header{}.Encode()); }, kDefault},
};

class HdrscanFrameHeader : public ::testing::TestWithParam<Case>
{ };

TEST_P(HdrscanFrameHeader, DecodesAsExpected)
{
    const Case& c = GetParam();
    TempDir dir;
    const Image image = c.build();
    const Result r = Read(dir.Write("case.mp3", image.bytes()).c_str());
    EXPECT_EQ(r.Text(r.version), c.expect.version);
    EXPECT_EQ(r.Text(r.mode), c.expect.mode);
    EXPECT_EQ(r.frequency, c.expect.frequency);
    EXPECT_EQ(r.bitRate, c.expect.bitRate);
    EXPECT_EQ(r.length, c.expect.length);
    EXPECT_EQ(r.result, c.expect.result);
    EXPECT_EQ(r.returned, c.expect.result ? 1 : 0);
    EXPECT_EQ(r.size, static_cast<std::int32_t>(image.size()));
    EXPECT_TRUE(r.TextsWrittenAs32Bytes());
}

INSTANTIATE_TEST_SUITE_P(Cases, HdrscanFrameHeader, ::testing::ValuesIn(kCases),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qv::hdrscan::test
