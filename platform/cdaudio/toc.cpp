#include "platform/cdaudio/toc.h"

#include <cstdio>

namespace qv::cdaudio {

namespace {

int digitSum(std::int32_t n)
{
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

} // namespace

std::uint32_t cddbDiscId(const DiscToc& toc)
{
    if (toc.tracks.empty())
        return 0;
    std::uint32_t checksum = 0;
    for (const TocTrack& t : toc.tracks)
        checksum += static_cast<std::uint32_t>(digitSum(t.start / kFramesPerSecond));
    // Both ends are whole seconds before they are subtracted, as the databases compute it.
    const std::int32_t seconds = toc.leadout / kFramesPerSecond - toc.tracks.front().start / kFramesPerSecond;
    return (checksum % 255) << 24 | (static_cast<std::uint32_t>(seconds) & 0xffff) << 8
        | (static_cast<std::uint32_t>(toc.tracks.size()) & 0xff);
}

std::string cddbDiscIdText(const DiscToc& toc)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", cddbDiscId(toc));
    return text;
}

std::string cddbTocText(const DiscToc& toc)
{
    std::string out = cddbDiscIdText(toc) + ' ' + std::to_string(toc.tracks.size());
    for (const TocTrack& t : toc.tracks)
        out += ' ' + std::to_string(t.start);
    out += ' ' + std::to_string(toc.leadout / kFramesPerSecond);
    return out;
}

} // namespace qv::cdaudio
