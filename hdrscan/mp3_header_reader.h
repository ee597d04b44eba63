#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hdrscan/id3v1_tag.h"

namespace qv::hdrscan {

// Where the reader's bytes come from: a file, or memory for tests and fuzzing.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Reads up to n bytes at offset; fewer at the end of the source or on a read error.
    virtual std::size_t readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n) = 0;
};

class MemorySource final : public ByteSource
{
public:
    MemorySource(const std::uint8_t* data, std::size_t size)
        : data_(data)
        , size_(size)
    { }
    std::int64_t size() const override { return static_cast<std::int64_t>(size_); }
    std::size_t readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A file opened for reading only. A pipe or a missing file does not open; a
// folder opens but fails its reads.
class FileSource final : public ByteSource
{
public:
    explicit FileSource(const char* path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // A read failed (as opposed to meeting the end of the file).
    bool readFailed() const { return failed_; }
    std::int64_t size() const override { return size_; }
    std::size_t readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n) override;

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    bool failed_ = false;
};

// How far past the search start a frame header may begin.
inline constexpr std::int64_t kSearchLimit = 204800;

enum class ScanStatus { Found = 0, NotOpened = 2, NoFrameHeader = 4 };

// Reads one MP3 file's first frame header, Xing frame count and ID3v1 tag.
// Lives for one call; keeps nothing between files.
class Mp3HeaderReader
{
public:
    ScanStatus scan(ByteSource& source);
    // The file could not be opened; only its size (0) is known.
    void markNotOpened();

    static bool IsValidFrameHeader(std::uint32_t header);
    // Where a leading ID3v2 tag says it ends, else 0. The search starts there
    // unless that lies past the end of the file.
    static std::int64_t id3v2TagEnd(const std::uint8_t* bytes, std::size_t n);

    bool hasFrameHeader() const { return found_; }
    std::uint32_t header() const { return header_; }
    std::int64_t headerOffset() const { return headerOffset_; }
    std::int32_t xingFrames() const { return xingFrames_; }
    bool isXing() const { return isXing_; }
    std::int64_t fileSize() const { return fileSize_; }
    const Id3v1Tag& tag() const { return tag_; }

    // Decoded values; all 0 or empty without a frame header.
    int TableBitRateKbps() const;
    int SamplingRateHz() const;
    std::int32_t BitRateKbps() const;
    std::int64_t FrameCount() const;
    std::int32_t DurationSeconds() const;
    // Written into out, at most 31 characters and NUL-terminated.
    void VersionText(char (&out)[32]) const;
    std::string_view ChannelModeText() const;

private:
    int factor() const;
    void ReadXingFrames(const std::uint8_t* bytes, std::size_t n);

    std::uint32_t header_ = 0;
    std::int64_t headerOffset_ = -1;
    std::int32_t xingFrames_ = -1;
    Id3v1Tag tag_;
    bool isXing_ = false;
    bool found_ = false;
    std::int64_t fileSize_ = 0;
};

// The fourteen outputs of GetMP3Data, in its argument order.
struct Mp3Outputs {
    char* title;
    char* artist;
    char* album;
    char* comment;
    char* genre;
    std::int32_t* year;
    std::int32_t* trackNumber;
    std::int32_t* size;
    char* version;
    char* mode;
    std::int32_t* frequency;
    std::int32_t* bitRate;
    std::int32_t* length;
};

// Writes the reader's results to the outputs (null pointers are left alone) and
// returns whether the file has frames.
bool writeOutputs(const Mp3HeaderReader& reader, const Mp3Outputs& out);

} // namespace qv::hdrscan
