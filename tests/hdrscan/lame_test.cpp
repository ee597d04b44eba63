// Real MP3 files from the lame encoder, checked against the reader's arithmetic
// on the encoder's own frame counts, and against mediainfo's play time.

#include <cmath>
#include <cstdio>

#include "support/command_output.h"
#include "tests/hdrscan/mp3_fixture.h"

namespace qv::hdrscan::test {
namespace {

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class HdrscanLame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HaveProgram("lame"))
            GTEST_SKIP() << "lame is not installed (scripts/setup)";
        wav_ = (dir_.path() / "tone.wav").string();
        WriteWav(wav_, 44100, 2);
    }

    std::string Encode(const std::string& args, const std::string& name = "out.mp3")
    {
        const std::string mp3 = (dir_.path() / name).string();
        const std::string command = "lame --quiet " + args + " '" + wav_ + "' '" + mp3 + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return mp3;
    }

    TempDir dir_;
    std::string wav_;
};

struct Case {
    const char* name;
    const char* args;
    int xingOffset; // where lame puts its Xing header, or -1 for constant bit rate
    const char* version;
    const char* mode;
    int frequency;
    int factor;
    int bitRate; // constant bit rate
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

const Case kCases[] = {
    {"Cbr128JointStereo", "-b 128 -m j", -1, "MPEG 1 Layer III", "Joint Stereo", 44100, 144, 128},
    {"Cbr64StereoMpeg2", "-b 64 -m s --resample 24", -1, "MPEG 2 Layer III", "Stereo", 24000, 72, 64},
    {"Cbr32MonoMpeg25", "-b 32 -m m --resample 11.025", -1, "MPEG 2.5 Layer III", "Single Channel", 11025, 72, 32},
    {"VbrJointStereo", "-V 4 -m j", 36, "MPEG 1 Layer III", "Joint Stereo", 44100, 144, 0},
    {"VbrMono", "-V 4 -m m", 21, "MPEG 1 Layer III", "Single Channel", 44100, 144, 0},
    {"VbrMpeg2", "-V 6 -m j --resample 22.05", 21, "MPEG 2 Layer III", "Joint Stereo", 22050, 72, 0},
};

class HdrscanLameFiles : public HdrscanLame, public ::testing::WithParamInterface<Case>
{ };

TEST_P(HdrscanLameFiles, MatchTheEncodersFrames)
{
    const Case& c = GetParam();
    const std::string mp3 = Encode(c.args);
    const Bytes bytes = ReadAll(mp3);
    const std::int64_t size = static_cast<std::int64_t>(bytes.size());

    int bitRate = c.bitRate;
    if (c.xingOffset >= 0) {
        ASSERT_EQ(std::string(bytes.begin() + c.xingOffset, bytes.begin() + c.xingOffset + 4), "Xing");
        const std::int64_t frames = (std::int64_t{bytes[c.xingOffset + 8]} << 24) | (bytes[c.xingOffset + 9] << 16)
            | (bytes[c.xingOffset + 10] << 8) | bytes[c.xingOffset + 11];
        bitRate = static_cast<int>(c.frequency * (static_cast<double>(size) / frames) / (c.factor * 1000.0));
    }

    const Result r = Read(mp3.c_str());
    EXPECT_EQ(r.Text(r.version), c.version);
    EXPECT_EQ(r.Text(r.mode), c.mode);
    EXPECT_EQ(r.frequency, c.frequency);
    EXPECT_EQ(r.bitRate, bitRate);
    EXPECT_EQ(r.size, size);
    EXPECT_EQ(r.length, size * 8 / 1000 / bitRate);
    EXPECT_TRUE(r.result);

    if (HaveProgram("mediainfo")) {
        const double seconds = std::atof(qv::testing::commandOutput(
                                   "mediainfo --Inform='Audio;%Duration%' " + qv::testing::shellQuoted(mp3))
                                             .c_str())
            / 1000;
        EXPECT_NEAR(r.length, seconds, 1.0) << "mediainfo says " << seconds << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(Encoded, HdrscanLameFiles, ::testing::ValuesIn(kCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HdrscanLame, Id3v11TagWrittenByTheEncoder)
{
    const Result r = Read(Encode("-b 128 --id3v1-only --tt 'Song Title' --ta 'The Artist' --tl 'An Album' "
                                 "--ty 1999 --tc 'A comment' --tn 7 --tg Rock")
                              .c_str());
    EXPECT_EQ(r.Text(r.title), "Song Title");
    EXPECT_EQ(r.Text(r.artist), "The Artist");
    EXPECT_EQ(r.Text(r.album), "An Album");
    EXPECT_EQ(r.Text(r.comment), "A comment");
    EXPECT_EQ(r.Text(r.genre), "Rock");
    EXPECT_EQ(r.year, 1999);
    EXPECT_EQ(r.track, 7);
}

TEST_F(HdrscanLame, LeadingId3v2WithUtf16TextsAndACover)
{
    // The cover is full of byte pairs FF FE that begin a valid-looking Layer I header.
    Bytes cover = {0xFF, 0xD8, 0xFF, 0xE0};
    for (int i = 0; i < 30000; ++i)
        for (std::uint8_t c : {0xFF, 0xFE, 0x54, 0x00})
            cover.push_back(c);
    const std::string coverPath = dir_.Write("cover.jpg", cover);
    const std::string mp3
        = Encode("-b 128 -m j --id3v2-only --id3v2-utf16 --tt 'Tïtle' --ta 'Ärtist' --ti '" + coverPath + "'");
    const Bytes bytes = ReadAll(mp3);
    ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "ID3");

    const Result r = Read(mp3.c_str());
    EXPECT_EQ(r.Text(r.version), "MPEG 1 Layer III");
    EXPECT_EQ(r.Text(r.mode), "Joint Stereo");
    EXPECT_EQ(r.frequency, 44100);
    EXPECT_EQ(r.bitRate, 128);
    EXPECT_EQ(r.length, static_cast<std::int64_t>(bytes.size()) * 8 / 1000 / 128); // the tag counts
    EXPECT_EQ(r.Text(r.title), "");
    EXPECT_EQ(r.track, -1);
    EXPECT_TRUE(r.result);
}

} // namespace
} // namespace qv::hdrscan::test
