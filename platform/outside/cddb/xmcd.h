#pragma once
// The pieces of the xmcd record format that the answer parser and the
// submission share: the TOC text, value escapes and the limits every answer
// is held to.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outside/cddb/control.h"

namespace qv::cddb {

// No answer of the protocol comes near these; anything beyond is refused
// rather than held in memory.
inline constexpr std::size_t kMaxAnswerBytes = 1 << 20;
inline constexpr int kMaxTracks = 100;
// The protocol's longest line, key and "=" included.
inline constexpr std::size_t kMaxXmcdLine = 256;

// "<disc id> <track count> <start frames...> <length in seconds>".
struct TocText {
    std::string discId; // eight lower-case hexadecimal digits
    std::vector<long> offsets;
    long seconds = 0;

    std::string text() const;
};
// Empty when the text is not of that form (or its numbers do not fit a disc).
std::optional<TocText> parseTocText(std::string_view text);

bool isDiscId(std::string_view text);
bool isValidUtf8(std::string_view text);

// "\n", "\t" and "\\" in values; other backslashes stand for themselves.
std::string escapeValue(std::string_view value);
std::string unescapeValue(std::string_view value);

// fromXmcd for the record asked for: refused unless its DISCID names that
// disc, whose identifier the disc then carries.
Disc fromXmcd(const std::string& text, std::string_view discId);

// toXmcd with the program that submits named in "# Submitted via:".
std::string toXmcd(const Disc& disc, const std::string& submittedVia);

} // namespace qv::cddb
