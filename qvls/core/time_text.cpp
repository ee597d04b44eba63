#include "qvls/core/time_text.h"

#include <cstdio>

namespace qv::qvls {

namespace {
// Digits as the stamp holds them; anything else reads as 0, as a number
// picture would read it.
int twoDigits(std::string_view stamp, std::size_t at)
{
    int v = 0;
    for (std::size_t i = at; i < at + 2 && i < stamp.size(); ++i) {
        const char c = stamp[i];
        if (c >= '0' && c <= '9')
            v = v * 10 + (c - '0');
    }
    return v;
}
} // namespace

std::int32_t MSFStampToTime(std::string_view stamp)
{
    int minutes = twoDigits(stamp, 0);
    int seconds = twoDigits(stamp, 3);
    const bool frames99 = stamp.size() >= 8 && stamp.substr(6, 2) == "99";
    if (frames99)
        ++seconds;
    if (seconds >= 60) {
        seconds -= 60;
        ++minutes;
    }
    int hours = 0;
    if (minutes > 59) {
        hours = 1;
        minutes -= 60;
    }
    return (hours * 3600 + minutes * 60 + seconds) * 100 + 1;
}

std::string TimeToMinutesText(std::int32_t time)
{
    if (time <= 0)
        return "     ";
    const std::int64_t seconds = (static_cast<std::int64_t>(time) - 1) / 100;
    char buf[32];
    std::snprintf(
        buf, sizeof buf, "%2lld:%02lld", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return buf;
}

} // namespace qv::qvls
