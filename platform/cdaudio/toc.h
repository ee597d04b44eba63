#pragma once
// An audio CD's table of contents and the disc identifier the online disc
// databases compute from it.

#include <cstdint>
#include <string>
#include <vector>

namespace qv::cdaudio {

inline constexpr std::int32_t kFramesPerSecond = 75;
// Track starts count the two seconds of lead-in, as the disc databases do:
// the first track of a plain audio CD starts at frame 150.
inline constexpr std::int32_t kLeadInFrames = 150;

struct TocTrack {
    int number = 0;
    std::int32_t start = 0; // frames from the start of the lead-in
    bool audio = true;
};

struct DiscToc {
    std::vector<TocTrack> tracks; // in track order
    std::int32_t leadout = 0; // frames, as the track starts
};

// The standard disc identifier: checksum byte of the digit sums of the track
// starts in seconds, the playing time in seconds from the first track to the
// lead-out, and the track count.
std::uint32_t cddbDiscId(const DiscToc& toc);
// Eight lower-case hexadecimal digits.
std::string cddbDiscIdText(const DiscToc& toc);
// "<disc id> <track count> <start frames...> <lead-out in seconds>": what the
// disc database's query command takes, and the TOC text the lookup tool
// hands around (its first eight characters identify the disc).
std::string cddbTocText(const DiscToc& toc);

} // namespace qv::cdaudio
