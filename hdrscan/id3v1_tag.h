#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv::hdrscan {

inline constexpr std::size_t kId3v1Size = 128;

// The 128-byte tag that ends an MP3 file, in its ID3v1 or ID3v1.1 form.
struct Id3v1Tag {
    enum class Version { None, V1_0, V1_1 };

    char title[31] = {};
    char artist[31] = {};
    char album[31] = {};
    char comment[31] = {};
    std::int32_t year = 0;
    std::int32_t track = 0; // meaningful only for V1_1
    Version version = Version::None;
    std::optional<std::uint8_t> genre;

    // Parses the last 128 bytes of a file; false (and an empty tag) without the "TAG" marker.
    bool Read(const std::uint8_t (&bytes)[kId3v1Size]);
    void clear();
};

// Copies a fixed-width, blank- or NUL-padded field into dst (width + 1 bytes),
// dropping the padding and keeping leading blanks.
void CopyTrimmedField(char* dst, const std::uint8_t* src, std::size_t width);

// The name for a genre index; empty for 126 and above and for no genre.
std::string_view GenreName(std::optional<std::uint8_t> index);

inline constexpr int kGenreCount = 126;

} // namespace qv::hdrscan
