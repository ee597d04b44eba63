#pragma once

#include <cstdint>

namespace qv::expr {

// Dates are day numbers counted from 28 December 1800 (day 0), so 1 January
// 1801 is day 4 and (day % 7) is the weekday with 0 = Sunday. 0 also means
// "no date" wherever a field can be empty.
//
// Times are hundredths of a second plus 1; 0 means "no time" and 1 is
// midnight (or a duration of zero). Durations may run past 24 hours.

struct Ymd {
    int year = 0;
    int month = 0; // 1..12
    int day = 0; // 1..31
};

// Any month/day overflow is carried the way DATE() does it: month 13 is
// January of the next year, day 0 the last day of the month before. Years
// below 100 are read through the two-digit-year window (see below).
// Gives 0 when the result falls before day 1 or after 31 December 9999.
std::int32_t dateFromYmd(int year, int month, int day);
Ymd ymdFromDate(std::int32_t dayNumber);
bool isValidYmd(int year, int month, int day);
int weekday(std::int32_t dayNumber); // 0 Sunday .. 6 Saturday

// Two-digit years: yy falls in the 100 years that begin 80 years before the
// current year of the clock (so in 2024 "59" is 1959 and "40" is 2040).
int expandTwoDigitYear(int yy);

std::int32_t timeFromHms(std::int64_t hours, int minutes, int seconds, int hundredths = 0);

struct Hms {
    std::int64_t hours = 0;
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
};
// A time value of 0 (none) splits like 1 (zero).
Hms hmsFromTime(std::int32_t time);

// Where TODAY() and CLOCK() come from. Tests install a FixedClock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::int32_t today() const = 0; // day number
    virtual std::int32_t clock() const = 0; // time value of the time of day
};

// Local time of the machine.
class SystemClock final : public Clock
{
public:
    std::int32_t today() const override;
    std::int32_t clock() const override;
};

class FixedClock final : public Clock
{
public:
    FixedClock(std::int32_t today = 0, std::int32_t clock = 0)
        : today_(today)
        , clock_(clock)
    { }
    std::int32_t today() const override { return today_; }
    std::int32_t clock() const override { return clock_; }
    void set(std::int32_t today, std::int32_t clock)
    {
        today_ = today;
        clock_ = clock;
    }

private:
    std::int32_t today_;
    std::int32_t clock_;
};

// The clock every caller uses. setDefaultClock(nullptr) goes back to the
// system clock; the caller keeps the clock alive while it is installed.
const Clock& defaultClock();
void setDefaultClock(const Clock* clock);

// Installs a clock for one scope (tests).
class ScopedClock
{
public:
    explicit ScopedClock(const Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    const Clock* previous_;
};

} // namespace qv::expr
