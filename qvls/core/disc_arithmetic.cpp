#include "qvls/core/disc_arithmetic.h"

#include "platform/text/case.h"

namespace qv::qvls {

Msf FramesToMsf(std::int32_t f)
{
    const std::int32_t minutes = f / 4500;
    const std::int32_t seconds = f / 75 - 60 * minutes;
    const std::int32_t frames = f - 75 * (60 * minutes + seconds);
    return {static_cast<std::uint8_t>(minutes), static_cast<std::uint8_t>(seconds), static_cast<std::uint8_t>(frames)};
}

namespace {
std::int32_t twoDigits(std::string_view s, std::size_t at)
{
    std::int32_t n = 0;
    for (std::size_t i = at; i < at + 2 && i < s.size(); ++i)
        if (s[i] >= '0' && s[i] <= '9')
            n = n * 10 + (s[i] - '0');
    return n;
}
} // namespace

std::int32_t MsfToFrames(std::string_view msf)
{
    return twoDigits(msf, 0) * 4500 + twoDigits(msf, 3) * 75 + twoDigits(msf, 6);
}

std::int32_t DigitSum(std::int32_t n)
{
    std::int32_t sum = 0;
    while (n > 0) {
        sum += n % 10;
        n /= 10;
    }
    return sum;
}

std::string HexText(std::uint32_t value, int digits, bool fixed)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const int count = fixed ? 8 : digits;
    std::string out;
    for (int place = count - 1; place >= 0; --place) {
        const std::uint64_t power = std::uint64_t{1} << (4 * place);
        out += power > value ? '0' : hex[(value / power) % 16];
        value = static_cast<std::uint32_t>(value % power);
    }
    return out;
}

std::string ComputeDiscId(const std::vector<TrackPosition>& tracks, std::int32_t& discLength)
{
    if (tracks.empty())
        return {};
    std::int64_t checksum = 0;
    for (const TrackPosition& t : tracks) {
        const Msf at = FramesToMsf(t.start);
        checksum += DigitSum(60 * at.minutes + at.seconds);
    }
    const Msf first = FramesToMsf(tracks.front().start);
    // The lead-out's frames count before its whole seconds are taken.
    const std::int64_t leadOut = std::int64_t{tracks.back().start} + tracks.back().length + 1;
    const std::int64_t seconds = leadOut / 75 - (60 * first.minutes + first.seconds);
    discLength = static_cast<std::int32_t>(seconds * 100);
    const std::uint32_t value = static_cast<std::uint32_t>((checksum % 255) << 24)
        + static_cast<std::uint32_t>(seconds << 8) + static_cast<std::uint32_t>(tracks.size());
    return text::asciiLower(HexText(value, 8, true));
}

} // namespace qv::qvls
