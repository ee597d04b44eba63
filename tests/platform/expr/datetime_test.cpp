#include "platform/expr/datetime.h"

#include <gtest/gtest.h>

using namespace qv::expr;

namespace {

TEST(DayNumbers, FixedPointsOfTheCalendar)
{
    struct Case {
        int y, m, d;
        std::int32_t n;
    };
    const Case cases[] = {
        {1801, 1, 1, 4},
        {1800, 12, 31, 3},
        {1801, 12, 31, 368},
        {1900, 3, 1, 36222}, // 1900 is no leap year
        {2000, 2, 29, 72746}, // 2000 is one
        {1959, 10, 31, 58015},
        {9999, 12, 31, 2994626},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateFromYmd(c.y, c.m, c.d), c.n) << c.y << "-" << c.m << "-" << c.d;
        Ymd back = ymdFromDate(c.n);
        EXPECT_EQ(back.year, c.y);
        EXPECT_EQ(back.month, c.m);
        EXPECT_EQ(back.day, c.d);
    }
}

TEST(DayNumbers, WeekdayIsTheNumberModuloSeven)
{
    EXPECT_EQ(weekday(0), 0); // 28 Dec 1800, a Sunday
    EXPECT_EQ(weekday(dateFromYmd(1801, 1, 1)), 4); // a Thursday
    EXPECT_EQ(weekday(dateFromYmd(2024, 2, 29)), 4); // a Thursday
    EXPECT_EQ(weekday(dateFromYmd(1959, 10, 31)), 6); // a Saturday
}

TEST(DayNumbers, OverflowingMonthsAndDaysCarry)
{
    EXPECT_EQ(dateFromYmd(2000, 13, 1), dateFromYmd(2001, 1, 1));
    EXPECT_EQ(dateFromYmd(2000, 0, 1), dateFromYmd(1999, 12, 1));
    EXPECT_EQ(dateFromYmd(2000, 3, 0), dateFromYmd(2000, 2, 29));
    EXPECT_EQ(dateFromYmd(2001, 2, 29), dateFromYmd(2001, 3, 1));
    EXPECT_EQ(dateFromYmd(1999, 12, 32), dateFromYmd(2000, 1, 1));
    EXPECT_EQ(dateFromYmd(1700, 1, 1), 0); // before the first day
    EXPECT_EQ(dateFromYmd(10000, 1, 1), 0); // after the last
}

TEST(DayNumbers, TwoDigitYearsFollowTheClock)
{
    FixedClock clock(dateFromYmd(2024, 6, 1), 1);
    ScopedClock scope(clock);
    EXPECT_EQ(expandTwoDigitYear(59), 1959);
    EXPECT_EQ(expandTwoDigitYear(44), 1944);
    EXPECT_EQ(expandTwoDigitYear(43), 2043);
    EXPECT_EQ(expandTwoDigitYear(0), 2000);
    EXPECT_EQ(dateFromYmd(59, 10, 31), dateFromYmd(1959, 10, 31));
}

TEST(TimeValues, HundredthsPlusOne)
{
    EXPECT_EQ(timeFromHms(0, 3, 45), 22501);
    EXPECT_EQ(timeFromHms(0, 0, 0), 1);
    EXPECT_EQ(timeFromHms(2, 0, 0), 720001);
    Hms h = hmsFromTime(timeFromHms(26, 5, 7, 42)); // durations pass 24 hours
    EXPECT_EQ(h.hours, 26);
    EXPECT_EQ(h.minutes, 5);
    EXPECT_EQ(h.seconds, 7);
    EXPECT_EQ(h.hundredths, 42);
    EXPECT_EQ(hmsFromTime(0).hours, 0); // none splits like zero
}

TEST(Clocks, ScopedClockInstallsAndRestores)
{
    const Clock* before = &defaultClock();
    {
        FixedClock fixed(1234, 5678);
        ScopedClock scope(fixed);
        EXPECT_EQ(defaultClock().today(), 1234);
        EXPECT_EQ(defaultClock().clock(), 5678);
        fixed.set(99, 1);
        EXPECT_EQ(defaultClock().today(), 99);
    }
    EXPECT_EQ(&defaultClock(), before);
    // The system clock answers a date of this century and a time of day.
    SystemClock sys;
    EXPECT_GE(ymdFromDate(sys.today()).year, 2020);
    EXPECT_GE(sys.clock(), 1);
    EXPECT_LE(sys.clock(), timeFromHms(24, 0, 0));
}

} // namespace
