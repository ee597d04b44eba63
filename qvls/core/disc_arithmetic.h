#pragma once
// Audio-CD positions (75 frames to the second) and the disc identifier of
// the online disc databases: checksum byte, disc length in seconds, track
// count, as eight lower-case hexadecimal digits.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::qvls {

struct Msf {
    std::uint8_t minutes = 0, seconds = 0, frames = 0;
};
// Minutes are a byte: positions of 256 minutes and more do not fit.
Msf FramesToMsf(std::int32_t frames);
// "mm:ss:ff"; the separators are not examined.
std::int32_t MsfToFrames(std::string_view msf);

std::int32_t DigitSum(std::int32_t n);
// Upper-case digits, exactly `digits` of them (8 when fixed).
std::string HexText(std::uint32_t value, int digits, bool fixed = false);

// One row of the CD reader's track queue.
struct TrackPosition {
    std::int32_t start = 0; // CDDB:TRACKPOSITION, frames
    std::int32_t length = 0; // CDDB:TRACKLENGTH, frames
};
// Empty for an empty queue, which leaves discLength alone; otherwise
// discLength becomes the disc's length in hundredths of a second.
std::string ComputeDiscId(const std::vector<TrackPosition>& tracks, std::int32_t& discLength);

} // namespace qv::qvls
