#pragma once

// Small MP3 byte images built in memory, written to a temporary folder, and read
// back through GetMP3Data as the catalogue calls it; and WAV sound for the lame
// encoder to make real MP3 files from.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "hdrscan/get_mp3_data.h"

namespace qv::hdrscan::test {

using Bytes = std::vector<std::uint8_t>;

enum VersionBits { kMpeg25 = 0, kReservedVersion = 1, kMpeg2 = 2, kMpeg1 = 3 };
enum LayerBits { kReservedLayer = 0, kLayer3 = 1, kLayer2 = 2, kLayer1 = 3 };
enum Mode { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

struct Header {
    int version = kMpeg1;
    int layer = kLayer3;
    int bitRateIndex = 9; // 128 kbit/s for MPEG 1 Layer III
    int rateIndex = 0;
    int mode = kJointStereo;
    int emphasis = 0;

    Bytes Encode() const
    {
        // Protection bit set: no CRC follows.
        return {0xFF, static_cast<std::uint8_t>(0xE0 | version << 3 | layer << 1 | 1),
            static_cast<std::uint8_t>(bitRateIndex << 4 | rateIndex << 2),
            static_cast<std::uint8_t>(mode << 6 | emphasis)};
    }
};

// A file image of `size` zero bytes with pieces placed at offsets.
class Image
{
public:
    explicit Image(std::size_t size = 0)
        : bytes_(size, 0)
    { }
    Image& Put(std::size_t at, const Bytes& piece)
    {
        if (bytes_.size() < at + piece.size())
            bytes_.resize(at + piece.size(), 0);
        std::memcpy(bytes_.data() + at, piece.data(), piece.size());
        return *this;
    }
    Image& Put(std::size_t at, std::string_view text) { return Put(at, Bytes(text.begin(), text.end())); }
    Image& Append(const Bytes& piece) { return Put(bytes_.size(), piece); }
    const Bytes& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

inline Bytes BigEndian(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
        static_cast<std::uint8_t>(v)};
}

// "Xing", the flags and, when given, the frame count.
inline Bytes Xing(std::uint32_t flags, std::int64_t frames = -1)
{
    Bytes b = {'X', 'i', 'n', 'g'};
    for (std::uint8_t c : BigEndian(flags))
        b.push_back(c);
    if (frames >= 0)
        for (std::uint8_t c : BigEndian(static_cast<std::uint32_t>(frames)))
            b.push_back(c);
    return b;
}

// An ID3v2 header for a tag body of `bodySize` bytes.
inline Bytes Id3v2Header(std::uint32_t bodySize, std::uint8_t major = 3, std::uint8_t flags = 0)
{
    return {'I', 'D', '3', major, 0, flags, static_cast<std::uint8_t>(bodySize >> 21 & 0x7F),
        static_cast<std::uint8_t>(bodySize >> 14 & 0x7F), static_cast<std::uint8_t>(bodySize >> 7 & 0x7F),
        static_cast<std::uint8_t>(bodySize & 0x7F)};
}

// A 128-byte ID3v1 tag from its raw fields; each text is cut or zero-padded to its width.
struct Tag {
    std::string marker = "TAG";
    std::string title{}, artist{}, album{}, year{}, comment{}; // comment over 30 bytes
    std::uint8_t byte125 = 0, byte126 = 0, genre = 0;
    bool setTrackBytes = false;

    Bytes Encode() const
    {
        Bytes b(128, 0);
        auto put = [&](std::size_t at, const std::string& s, std::size_t width) {
            std::memcpy(b.data() + at, s.data(), std::min(s.size(), width));
        };
        put(0, marker, 3);
        put(3, title, 30);
        put(33, artist, 30);
        put(63, album, 30);
        put(93, year, 4);
        put(97, comment, 30);
        if (setTrackBytes) {
            b[125] = byte125;
            b[126] = byte126;
        }
        b[127] = genre;
        return b;
    }
};

// What GetMP3Data handed back. Text outputs land in 255-byte buffers pre-filled
// with a guard byte, as the catalogue passes them.
struct Result {
    static constexpr std::uint8_t kGuard = 0xA5;
    char title[255], artist[255], album[255], comment[255], genre[255], version[255], mode[255];
    std::int32_t year = 111, track = 111, size = 111, frequency = 111, bitRate = 111, length = 111, returned = 111;
    bool result = false;

    std::string Text(const char* field) const { return std::string(field, strnlen(field, 32)); }
    // True when every text output is exactly 32 bytes: text, NULs, nothing more.
    bool TextsWrittenAs32Bytes() const
    {
        for (const char* f : {title, artist, album, comment, genre, version, mode}) {
            const std::size_t n = strnlen(f, 32);
            if (n > 31)
                return false;
            for (std::size_t i = n; i < 32; ++i)
                if (f[i] != 0)
                    return false;
            for (std::size_t i = 32; i < 255; ++i)
                if (static_cast<std::uint8_t>(f[i]) != kGuard)
                    return false;
        }
        return true;
    }
};

inline Result Read(const char* path)
{
    Result r;
    for (char* f : {r.title, r.artist, r.album, r.comment, r.genre, r.version, r.mode})
        std::memset(f, Result::kGuard, sizeof r.title);
    r.returned = GetMP3Data(path, r.title, r.artist, r.album, r.comment, r.genre, &r.year, &r.track, &r.size, r.version,
        r.mode, &r.frequency, &r.bitRate, &r.length);
    r.result = (r.returned & 0xFF) != 0;
    return r;
}

inline bool HaveProgram(const char* name)
{
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

// Two sine tones, 16-bit PCM.
inline void WriteWav(const std::string& path, int rate, int channels, int seconds = 10)
{
    const std::uint32_t frames = static_cast<std::uint32_t>(rate * seconds);
    const std::uint32_t dataSize = frames * channels * 2;
    Bytes b;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(v >> (8 * i) & 0xFF);
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(v & 0xFF);
        b.push_back(v >> 8);
    };
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(s[i]));
    };
    text("RIFF");
    u32(36 + dataSize);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(channels * 2);
    u16(16);
    text("data");
    u32(dataSize);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(9000 * std::sin(i * (0.03 + 0.01 * c)))));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// A private temporary folder per test.
class TempDir
{
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/hdrscan-XXXXXX";
        if (!::mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        const std::filesystem::path p = path_ / name;
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace qv::hdrscan::test
