#include "hdrscan/mp3_header_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>

namespace qv::hdrscan {

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// Bit rates in kbit/s by [MPEG 1 bit][layer - 1][index].
constexpr int kBitRates[2][3][16] = {
    {
        // MPEG 2 and 2.5
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
    {
        // MPEG 1
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    },
};

// Sampling rates in Hz by [version bits][index]; version bits 01 are reserved.
constexpr int kSamplingRates[4][4] = {
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

constexpr std::string_view kVersionNumbers[4] = {"2.5", "0", "2", "1"};
constexpr std::string_view kLayerTexts[4] = {"", "I", "II", "III"};
constexpr std::string_view kModeTexts[4] = {"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"};

constexpr unsigned VersionBits(std::uint32_t h)
{
    return (h >> 19) & 3u;
}
constexpr unsigned layerNumber(std::uint32_t h)
{
    return 4u - ((h >> 17) & 3u);
}
constexpr unsigned bitRateIndex(std::uint32_t h)
{
    return (h >> 12) & 15u;
}
constexpr unsigned rateIndex(std::uint32_t h)
{
    return (h >> 10) & 3u;
}
constexpr unsigned modeBits(std::uint32_t h)
{
    return (h >> 6) & 3u;
}

constexpr std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}

// Side information between the frame header and a Xing header; a CRC is not allowed for.
constexpr int sideInfoSize(std::uint32_t h)
{
    const bool mono = modeBits(h) == 3;
    if (VersionBits(h) == 3)
        return mono ? 17 : 32;
    return mono ? 9 : 17;
}

// The furthest byte past the search start the reader may need: a header at the
// last position, its largest side information and the 12 Xing bytes.
constexpr std::int64_t kWindowSpan = kSearchLimit + 4 + 32 + 12;
constexpr std::size_t kFirstRead = 4096;

// Grows without clearing what it is about to receive.
class Buffer
{
public:
    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_.get(); }
    void clear() { size_ = 0; }
    // Room for n more bytes; Commit says how many arrived.
    std::uint8_t* extend(std::size_t n)
    {
        if (size_ + n > capacity_) {
            const std::size_t capacity = std::max(size_ + n, capacity_ * 2);
            auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
            if (size_ > 0)
                std::memcpy(grown.get(), data_.get(), size_);
            data_ = std::move(grown);
            capacity_ = capacity;
        }
        return data_.get() + size_;
    }
    void commit(std::size_t n) { size_ += n; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A run of the file loaded on demand, so a header near the start costs one small
// read while the search may still reach its full span.
class Window
{
public:
    Window(ByteSource& source, std::int64_t fileSize)
        : source_(source)
        , fileSize_(fileSize)
    { }

    void reset(std::int64_t base, std::int64_t capEnd)
    {
        base_ = base;
        shortRead_ = false;
        end_ = std::min(std::max(capEnd, base), fileSize_);
        buf_.clear();
    }
    void extendCap(std::int64_t capEnd)
    {
        if (!shortRead_)
            end_ = std::max(end_, std::min(capEnd, fileSize_));
    }

    std::int64_t base() const { return base_; }
    std::int64_t loadedEnd() const { return base_ + static_cast<std::int64_t>(buf_.size()); }

    // Loads [pos, pos + n) as far as the file and the cap allow; returns how many
    // of those bytes are available at data(pos).
    std::size_t ensure(std::int64_t pos, std::size_t n)
    {
        if (pos < base_)
            return 0;
        const std::int64_t want = pos + static_cast<std::int64_t>(n);
        if (want > loadedEnd())
            Grow(want);
        if (pos >= loadedEnd())
            return 0;
        return static_cast<std::size_t>(std::min<std::int64_t>(want, loadedEnd()) - pos);
    }
    const std::uint8_t* data(std::int64_t pos) const { return buf_.data() + static_cast<std::size_t>(pos - base_); }
    bool covers(std::int64_t from, std::int64_t to) const { return from >= base_ && to <= loadedEnd(); }

private:
    void Grow(std::int64_t want)
    {
        const std::int64_t loaded = loadedEnd();
        const std::int64_t step = std::max<std::int64_t>(static_cast<std::int64_t>(buf_.size()), kFirstRead);
        const std::int64_t target = std::min(std::max(want, loaded + step), end_);
        if (target <= loaded)
            return;
        const std::size_t ask = static_cast<std::size_t>(target - loaded);
        const std::size_t got = source_.readAt(loaded, buf_.extend(ask), ask);
        buf_.commit(got);
        if (got < ask) {
            // A file that shrank or failed to read ends where the data ends.
            shortRead_ = true;
            end_ = loadedEnd();
        }
    }

    ByteSource& source_;
    std::int64_t fileSize_;
    std::int64_t base_ = 0;
    std::int64_t end_ = 0;
    bool shortRead_ = false;
    Buffer buf_;
};

} // namespace

std::size_t MemorySource::readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n)
{
    if (offset < 0 || static_cast<std::uint64_t>(offset) >= size_)
        return 0;
    const std::size_t count = std::min(n, size_ - static_cast<std::size_t>(offset));
    std::memcpy(dst, data_ + offset, count);
    return count;
}

FileSource::FileSource(const char* path)
{
    // Non-blocking so that a named pipe cannot hold the open. The size comes from
    // a seek rather than fstat, which costs as much again as a small read; pipes
    // refuse the seek, and folders fail their first read (see ReadFailed).
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        return;
    size_ = ::lseek(fd_, 0, SEEK_END);
    if (size_ < 0) {
        ::close(fd_);
        fd_ = -1;
        size_ = 0;
    }
}

FileSource::~FileSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t FileSource::readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd_, dst + done, n - done, static_cast<off_t>(offset) + done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            failed_ = true;
        if (r <= 0)
            break;
        done += static_cast<std::size_t>(r);
    }
    return done;
}

bool Mp3HeaderReader::IsValidFrameHeader(std::uint32_t h)
{
    return (h & 0xFFE00000u) == 0xFFE00000u && VersionBits(h) != 1 && ((h >> 17) & 3u) != 0 && bitRateIndex(h) != 0
        && bitRateIndex(h) != 15 && rateIndex(h) != 3 && (h & 3u) != 2;
}

std::int64_t Mp3HeaderReader::id3v2TagEnd(const std::uint8_t* b, std::size_t n)
{
    if (n < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3')
        return 0;
    if (b[3] == 0xFF || b[4] == 0xFF)
        return 0;
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80)
        return 0;
    const std::int64_t size
        = (std::int64_t{b[6]} << 21) | (std::int64_t{b[7]} << 14) | (std::int64_t{b[8]} << 7) | std::int64_t{b[9]};
    const bool footer = (b[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

void Mp3HeaderReader::markNotOpened()
{
    *this = Mp3HeaderReader{};
}

ScanStatus Mp3HeaderReader::scan(ByteSource& source)
{
    *this = Mp3HeaderReader{};
    fileSize_ = std::max<std::int64_t>(source.size(), 0);

    Window window(source, fileSize_);
    window.reset(0, kFirstRead);
    const std::size_t lead = window.ensure(0, 10);
    std::int64_t start = lead > 0 ? id3v2TagEnd(window.data(0), lead) : 0;
    // A tag said to run past the end of the file is damaged: its size cannot
    // be trusted to step over, so the file is read as if it had none.
    if (start > fileSize_)
        start = 0;
    const std::int64_t last = start + kSearchLimit;
    if (start + 4 > window.loadedEnd())
        window.reset(start, start + kWindowSpan);
    else
        window.extendCap(start + kWindowSpan);

    for (std::int64_t p = start; p <= last;) {
        if (window.ensure(p, 4) < 4)
            break; // end of file
        // Test every position the loaded bytes allow before asking for more.
        const std::int64_t stop = std::min(window.loadedEnd() - 3, last + 1);
        const std::uint8_t* d = window.data(p);
        for (; p < stop; ++p, ++d) {
            if (d[0] != 0xFF)
                continue;
            const std::uint32_t h = bigEndian32(d);
            if (IsValidFrameHeader(h)) {
                header_ = h;
                headerOffset_ = p;
                found_ = true;
                break;
            }
        }
        if (found_)
            break;
    }
    if (!found_)
        return ScanStatus::NoFrameHeader;

    const std::int64_t xingAt = headerOffset_ + 4 + sideInfoSize(header_);
    const std::size_t xingBytes = window.ensure(xingAt, 12);
    ReadXingFrames(xingBytes ? window.data(xingAt) : nullptr, xingBytes);

    if (fileSize_ >= static_cast<std::int64_t>(kId3v1Size)) {
        const std::int64_t tagAt = fileSize_ - static_cast<std::int64_t>(kId3v1Size);
        std::uint8_t bytes[kId3v1Size];
        if (window.covers(tagAt, fileSize_)) {
            std::memcpy(bytes, window.data(tagAt), kId3v1Size);
            tag_.Read(bytes);
        } else if (source.readAt(tagAt, bytes, kId3v1Size) == kId3v1Size) {
            tag_.Read(bytes);
        }
    }
    return ScanStatus::Found;
}

void Mp3HeaderReader::ReadXingFrames(const std::uint8_t* b, std::size_t n)
{
    xingFrames_ = -1;
    isXing_ = n >= 4 && std::memcmp(b, "Xing", 4) == 0;
    if (!isXing_)
        return;
    const std::uint32_t flags = n >= 8 ? bigEndian32(b + 4) : 0;
    if ((flags & 1u) && n >= 12)
        xingFrames_ = static_cast<std::int32_t>(bigEndian32(b + 8));
}

int Mp3HeaderReader::TableBitRateKbps() const
{
    if (!found_)
        return 0;
    return kBitRates[(header_ >> 19) & 1u][layerNumber(header_) - 1][bitRateIndex(header_)];
}

int Mp3HeaderReader::SamplingRateHz() const
{
    if (!found_)
        return 0;
    return kSamplingRates[VersionBits(header_)][rateIndex(header_)];
}

int Mp3HeaderReader::factor() const
{
    switch (layerNumber(header_)) {
    case 1:
        return 48;
    case 2:
        return 144;
    default:
        return VersionBits(header_) == 3 ? 144 : 72;
    }
}

std::int64_t Mp3HeaderReader::FrameCount() const
{
    if (!found_)
        return 0;
    if (isXing_)
        return xingFrames_;
    const double bytesPerFrame = factor() * TableBitRateKbps() * 1000.0 / SamplingRateHz();
    return static_cast<std::int64_t>(static_cast<double>(fileSize_) / bytesPerFrame);
}

std::int32_t Mp3HeaderReader::BitRateKbps() const
{
    if (!found_)
        return 0;
    if (isXing_ && xingFrames_ > 0) {
        const double average = SamplingRateHz() * (static_cast<double>(fileSize_) / xingFrames_) / (factor() * 1000.0);
        // An average that rounds to nothing would leave the play time undefined.
        if (average >= 1.0)
            return average >= kInt32Max ? kInt32Max : static_cast<std::int32_t>(average);
    }
    return TableBitRateKbps();
}

std::int32_t Mp3HeaderReader::DurationSeconds() const
{
    const std::int32_t kbps = BitRateKbps();
    if (kbps <= 0)
        return 0;
    // size * 8 / 1000 truncated, without the product.
    const std::int64_t seconds = fileSize_ / 125 / kbps;
    return static_cast<std::int32_t>(std::min<std::int64_t>(seconds, kInt32Max));
}

void Mp3HeaderReader::VersionText(char (&out)[32]) const
{
    std::memset(out, 0, sizeof out);
    if (!found_)
        return;
    // Built by hand rather than with "%g", which would follow the caller's locale.
    std::size_t n = 0;
    for (std::string_view part : {std::string_view("MPEG "), kVersionNumbers[VersionBits(header_)],
             std::string_view(" Layer "), kLayerTexts[layerNumber(header_)]}) {
        const std::size_t count = std::min(part.size(), sizeof out - 1 - n);
        std::memcpy(out + n, part.data(), count);
        n += count;
    }
}

std::string_view Mp3HeaderReader::ChannelModeText() const
{
    if (!found_)
        return {};
    return kModeTexts[modeBits(header_)];
}

namespace {

void writeText32(char* out, std::string_view text)
{
    if (!out)
        return;
    const std::size_t n = std::min<std::size_t>(text.size(), 31);
    if (n > 0)
        std::memcpy(out, text.data(), n);
    std::memset(out + n, 0, 32 - n);
}

void writeNumber(std::int32_t* out, std::int64_t value)
{
    if (out)
        *out = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -kInt32Max - 1, kInt32Max));
}

} // namespace

bool writeOutputs(const Mp3HeaderReader& r, const Mp3Outputs& out)
{
    writeNumber(out.size, r.fileSize());
    char version[32];
    r.VersionText(version);
    writeText32(out.version, version);
    writeNumber(out.bitRate, r.BitRateKbps());
    writeNumber(out.frequency, r.SamplingRateHz());
    writeText32(out.mode, r.ChannelModeText());
    writeNumber(out.length, r.DurationSeconds());
    const Id3v1Tag& tag = r.tag();
    writeText32(out.title, tag.title);
    writeText32(out.artist, tag.artist);
    writeText32(out.album, tag.album);
    writeText32(out.comment, tag.comment);
    writeText32(out.genre, GenreName(tag.genre));
    writeNumber(out.year, tag.year);
    writeNumber(out.trackNumber, tag.version == Id3v1Tag::Version::V1_1 ? tag.track : -1);
    return r.FrameCount() > 0;
}

} // namespace qv::hdrscan
