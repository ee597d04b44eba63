#include "platform/expr/datetime.h"

#include <atomic>
#include <ctime>
#include <sys/time.h>

namespace qv::expr {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Ymd civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Ymd{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Day number 0 is 28 December 1800.
const std::int64_t kEpoch = daysFromCivil(1800, 12, 28);
const std::int64_t kLastDay = daysFromCivil(9999, 12, 31) - kEpoch;

const SystemClock kSystemClock;
std::atomic<const Clock*> gClock{&kSystemClock};

int daysInMonth(int y, int m)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return kDays[m - 1];
}

} // namespace

int expandTwoDigitYear(int yy)
{
    int current = ymdFromDate(defaultClock().today()).year;
    if (current < 1900)
        current = 2000; // a clock set to "no date"
    int first = current - 80;
    int year = first - first % 100 + yy;
    if (year < first)
        year += 100;
    return year;
}

std::int32_t dateFromYmd(int year, int month, int day)
{
    if (year >= 0 && year < 100)
        year = expandTwoDigitYear(year);
    // Carry months into years first, then days through the calendar.
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    std::int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m0 -= (y - year) * 12;
    if (y < 1700 || y > 10000)
        return 0;
    std::int64_t n = daysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (day - 1) - kEpoch;
    if (n < 1 || n > kLastDay)
        return 0;
    return static_cast<std::int32_t>(n);
}

bool isValidYmd(int year, int month, int day)
{
    return year >= 1801 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

Ymd ymdFromDate(std::int32_t dayNumber)
{
    return civilFromDays(dayNumber + kEpoch);
}

int weekday(std::int32_t dayNumber)
{
    int w = dayNumber % 7;
    return w < 0 ? w + 7 : w;
}

std::int32_t timeFromHms(std::int64_t hours, int minutes, int seconds, int hundredths)
{
    std::int64_t t = ((hours * 60 + minutes) * 60 + seconds) * 100 + hundredths + 1;
    if (t < 1)
        return 1;
    if (t > INT32_MAX)
        return INT32_MAX;
    return static_cast<std::int32_t>(t);
}

Hms hmsFromTime(std::int32_t time)
{
    std::int64_t t = time > 0 ? time - 1 : 0;
    Hms r;
    r.hundredths = static_cast<int>(t % 100);
    t /= 100;
    r.seconds = static_cast<int>(t % 60);
    t /= 60;
    r.minutes = static_cast<int>(t % 60);
    r.hours = t / 60;
    return r;
}

std::int32_t SystemClock::today() const
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return dateFromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::int32_t SystemClock::clock() const
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::time_t secs = tv.tv_sec;
    std::tm tm{};
    localtime_r(&secs, &tm);
    return timeFromHms(tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(tv.tv_usec / 10000));
}

const Clock& defaultClock()
{
    return *gClock.load();
}

void setDefaultClock(const Clock* clock)
{
    gClock.store(clock ? clock : &kSystemClock);
}

ScopedClock::ScopedClock(const Clock& clock)
    : previous_(&defaultClock())
{
    setDefaultClock(&clock);
}

ScopedClock::~ScopedClock()
{
    setDefaultClock(previous_);
}

} // namespace qv::expr
