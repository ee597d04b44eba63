#include "platform/expr/picture.h"

#include "platform/expr/datetime.h"

#include <gtest/gtest.h>

#include <limits>

using namespace qv::expr;

namespace {

Value D(const char* s)
{
    return Value(Decimal::parse(s).value());
}

// Dates in these tests depend on the two-digit-year window.
class PictureTest : public ::testing::Test
{
protected:
    FixedClock clock{dateFromYmd(2024, 6, 1), timeFromHms(9, 30, 0)};
    ScopedClock scope{clock};
    PictureSettings saved = pictureSettings();
    void TearDown() override { pictureSettings() = saved; }
};

TEST_F(PictureTest, ParsesThePicturesTheProgramUses)
{
    struct Case {
        const char* pic;
        Picture::Type type;
    };
    const Case cases[] = {
        {"@s50", Picture::Type::String},
        {"@S1000", Picture::Type::String},
        {"@n3", Picture::Type::Number},
        {"@n_4b", Picture::Type::Number},
        {"@n-13", Picture::Type::Number},
        {"@n16.2-", Picture::Type::Number},
        {"@N30.9", Picture::Type::Number},
        {"@n_99", Picture::Type::Number},
        {"n4b", Picture::Type::Number},
        {"@d17b", Picture::Type::Date},
        {"@d17-", Picture::Type::Date},
        {"d6", Picture::Type::Date},
        {"@D18", Picture::Type::Date},
        {"@T4", Picture::Type::Time},
        {"@t4b", Picture::Type::Time},
        {"t7", Picture::Type::Time},
        {"@p(<)p", Picture::Type::Pattern},
        {"@p(<)pb", Picture::Type::Pattern},
        {"@p<<-pb", Picture::Type::Pattern},
        {"@s20   ", Picture::Type::String},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Picture::parse(c.pic).type(), c.type) << c.pic;

    for (const char* bad :
        {"", "@", "@x5", "@d19", "@d0", "@t9", "@s5x", "@n5q", "@n(5", "@p", "@pp", "@d2zz", "@n123456789"})
        EXPECT_FALSE(Picture::parse(bad).valid()) << bad;
}

TEST_F(PictureTest, InvalidPictureFormatsPlainText)
{
    EXPECT_EQ(format(Value(42), "@q"), "42");
    EXPECT_EQ(deformat("abc", "@q").toString(), "abc");
}

TEST_F(PictureTest, StringsAreCutToTheirWidth)
{
    EXPECT_EQ(format(Value("Abbey Road"), "@s5"), "Abbey");
    EXPECT_EQ(format(Value("ABC"), "@s5"), "ABC");
    EXPECT_EQ(format(Value("Björk Guðmundsdóttir"), "@s4"), "Björ"); // characters, not bytes
    EXPECT_EQ(format(Value(12), "@s8"), "12");
    EXPECT_EQ(deformat("  text ", "@s10").toString(), "  text ");
}

TEST_F(PictureTest, NumberFormats)
{
    struct Case {
        Value v;
        const char* pic;
        const char* out;
    };
    const Case cases[] = {
        {Value(7), "@n3", "  7"},
        {Value(1234567), "@n-14", "     1,234,567"},
        {Value(-1234567), "@n-14", "    -1,234,567"},
        {Value(2004), "@n4", "2004"}, // grouping dropped when it does not fit
        {Value(2004), "@n4b", "2004"},
        {Value(0), "@n4b", "    "},
        {Value(0), "@n3", "  0"},
        {Value(120), "@n_4b", " 120"},
        {Value(44100), "@n_6", " 44100"},
        {Value(44100), "@n6", "44,100"},
        {Value(12345), "@n3", "###"}, // does not fit at all
        {D("1234.5"), "@n16.2-", "        1,234.50"},
        {D("-1234.5"), "@n16.2-", "       1,234.50-"},
        {D("2.345"), "@n6.2", "  2.35"}, // rounded half away from zero
        {D("-2.345"), "@n-7.2", "  -2.35"},
        {Value(2.5), "@n3", "  3"},
        {Value(42), "@n05", "00042"},
        {Value(-42), "@n-05", "-0042"},
        {Value(42), "@n*6", "****42"},
        {Value(1234567), "@n12.", "   1.234.567"}, // period grouping
        {D("1234.5"), "@n10.,2", "  1.234,50"}, // and a decimal comma
        {Value(1234567), "@n10_", " 1 234 567"},
        {Value(-5), "@n(5)", "  (5)"},
        {D("1.5"), "@n5v2", "  150"}, // places without a printed mark
        {Value("12.5"), "@n6.1", "  12.5"}, // numeric text
        {Value("abc"), "@n3", "  0"},
        {Value(4611686018427387904), "@n30.2", "  4,611,686,018,427,387,904.00"}, // every place
        {D("123456789012.5"), "@n30.9", "     123,456,789,012.500000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format(c.v, c.pic), c.out) << c.v.toString() << " " << c.pic;
}

TEST_F(PictureTest, NumberFormatsOfRealsBeyondTheDecimalRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        const char* pic;
        const char* out;
    };
    const Case cases[] = {
        {5e18, "@n30", "     5,000,000,000,000,000,000"},
        {1e30, "@n45", "    1,000,000,000,000,000,000,000,000,000,000"},
        {-1e30, "@n-45.2", "-1,000,000,000,000,000,000,000,000,000,000.00"},
        {-1e30, "@n(35)", "  (1000000000000000000000000000000)"}, // grouping dropped to fit
        {-1.23456789012345e25, "@n_30-", "   12345678901234500000000000-"},
        {1e30, "@n20", "####################"},
        {1e30, "@n", "1,000,000,000,000,000,000,000,000,000,000"},
        {inf, "@n10", "##########"},
        {-inf, "@n-14.2", "##############"},
        {inf, "@n", "#"},
        {1e-30, "@n10.2", "      0.00"},
        {1e-30, "@n10.2b", "          "},
        {1.5e-17, "@n22.17", "   0.00000000000000002"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format(Value(c.v), c.pic), c.out) << c.v << " " << c.pic;
    // Read back, such a number stays a real rather than saturating.
    EXPECT_EQ(compare(deformat("1,000,000,000,000,000,000,000", "@n40"), Value(1e21)), 0);
    EXPECT_EQ(compare(deformat("-12345678901234500000000000", "@n_30"), Value(-1.23456789012345e25)), 0);
}

TEST_F(PictureTest, NumberDeformat)
{
    struct Case {
        const char* text;
        const char* pic;
        Value v;
    };
    const Case cases[] = {
        {"  1,234,567", "@n-14", Value(1234567)},
        {"-1,234", "@n-14", Value(-1234)},
        {"1,234.50-", "@n16.2-", D("-1234.50")},
        {"(5)", "@n(5)", Value(-5)},
        {"1.234.567", "@n12.", Value(1234567)},
        {"1.234,50", "@n10.,2", D("1234.50")},
        {"150", "@n5v2", D("1.50")},
        {"", "@n3", Value(0)},
        {"abc", "@n3", Value(0)},
        {"12.5", "@N30.9", D("12.5")},
    };
    for (const auto& c : cases) {
        Value got = deformat(c.text, c.pic);
        EXPECT_EQ(compare(got, c.v), 0) << c.text << " " << c.pic << " gave " << got.toString();
    }
}

TEST_F(PictureTest, NumberRoundTrips)
{
    const char* pics[]
        = {"@n3", "@n-14", "@n_4", "@n16.2-", "@n05", "@n12.", "@n10.,2", "@n(9.2)", "@n5v2", "@n*8", "@N30.9"};
    const Value values[] = {Value(0), Value(7), Value(-42), Value(999), D("12.34"), D("-0.05")};
    for (const char* pic : pics) {
        Picture p = Picture::parse(pic);
        ASSERT_TRUE(p.valid()) << pic;
        for (const Value& v : values) {
            std::string shown = p.format(v);
            if (shown.find('#') != std::string::npos)
                continue; // too wide for the picture
            // The picture may round; compare with the value rounded the same way.
            Value expect(v.toDecimal().round(
                shown.find_first_of(".,") == std::string::npos && std::string(pic).find('v') == std::string::npos ? 0
                                                                                                                  : 2));
            if (std::string(pic) == "@N30.9")
                expect = v;
            EXPECT_EQ(compare(p.deformat(shown), expect), 0) << pic << " " << v.toString() << " -> '" << shown << "'";
        }
    }
}

TEST_F(PictureTest, DateFormats)
{
    const std::int32_t d = dateFromYmd(1959, 10, 31); // a Saturday
    const std::int32_t e = dateFromYmd(2004, 1, 5);
    struct Case {
        std::int32_t v;
        const char* pic;
        const char* out;
    };
    const Case cases[] = {
        {d, "@d1", "10/31/59"},
        {d, "@d2", "10/31/1959"},
        {d, "@d3", "OCT 31,1959"},
        {d, "@d4", "October 31, 1959"},
        {d, "@d5", "31/10/59"},
        {d, "@d6", "31/10/1959"},
        {d, "@d7", "31 OCT 59"},
        {d, "@d8", "31 OCT 1959"},
        {d, "@d9", "59/10/31"},
        {d, "@d10", "1959/10/31"},
        {d, "@d11", "591031"},
        {d, "@d12", "19591031"},
        {d, "@d13", "10/59"},
        {d, "@d14", "10/1959"},
        {d, "@d15", "59/10"},
        {d, "@d16", "1959/10"},
        {d, "@d17", "10/31/1959"},
        {d, "@d18", "Saturday, October 31, 1959"},
        {e, "@d2", "01/05/2004"},
        {e, "@d4", "January 5, 2004"},
        {e, "@d6.", "05.01.2004"},
        {e, "@d17-", "01-05-2004"},
        {e, "@d6_", "05 01 2004"},
        {e, "@d10`", "2004,01,05"},
        {0, "@d17b", ""},
        {0, "@d6b", ""},
        {0, "@d2", ""},
        {-5, "@d2", ""},
        {e, "@d17b", "01/05/2004"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format(Value(std::int64_t(c.v)), c.pic), c.out) << c.pic;
}

TEST_F(PictureTest, SystemDatePicturesFollowTheSettings)
{
    const Value d(std::int64_t(dateFromYmd(1959, 10, 31)));
    pictureSettings().shortDate = 6;
    pictureSettings().shortDateSeparator = '.';
    EXPECT_EQ(format(d, "@d17"), "31.10.1959");
    EXPECT_EQ(format(d, "@d17-"), "31-10-1959");
    EXPECT_EQ(compare(deformat("31.10.1959", "@d17"), d), 0);
}

TEST_F(PictureTest, DateDeformat)
{
    const std::int64_t d = dateFromYmd(1959, 10, 31);
    struct Case {
        const char* text;
        const char* pic;
        std::int64_t v;
    };
    const Case cases[] = {
        {"10/31/1959", "@d2", d},
        {"10/31/59", "@d1", d},
        {"10-31-1959", "@d2", d},
        {"10311959", "@d2", d},
        {"103159", "@d1", d},
        {"31.10.1959", "@d6", d},
        {"Oct 31, 1959", "@d3", d},
        {"october 31 1959", "@d4", d},
        {"31 OCT 59", "@d7", d},
        {"19591031", "@d12", d},
        {"1959-10-31", "@d10", d},
        {"Saturday, October 31, 1959", "@d18", d},
        {"10/1959", "@d14", dateFromYmd(1959, 10, 1)},
        {"1959/10", "@d16", dateFromYmd(1959, 10, 1)},
        {"10/31", "@d2", dateFromYmd(2024, 10, 31)}, // the clock's year
        {"02/30/2004", "@d2", 0}, // no such day
        {"13/01/2004", "@d2", 0}, // no such month
        {"", "@d2", 0},
        {"soon", "@d2", 0},
        {"1/2/3/4/5", "@d2", dateFromYmd(2003, 1, 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deformat(c.text, c.pic).toInt(), c.v) << c.text << " " << c.pic;
}

TEST_F(PictureTest, DateRoundTrips)
{
    const std::int32_t days[] = {
        4, dateFromYmd(1959, 10, 31), dateFromYmd(2000, 2, 29), dateFromYmd(2024, 12, 31), dateFromYmd(9999, 12, 31)};
    for (int n = 1; n <= 18; ++n) {
        for (const char* suffix : {"", "-", "b", ".b"}) {
            std::string pic = "@d" + std::to_string(n) + suffix;
            Picture p = Picture::parse(pic);
            ASSERT_TRUE(p.valid()) << pic;
            for (std::int32_t day : days) {
                Ymd ymd = ymdFromDate(day);
                const bool twoDigit = n == 1 || n == 5 || n == 7 || n == 9 || n == 11 || n == 13 || n == 15;
                if (twoDigit && (ymd.year < 1944 || ymd.year > 2043))
                    continue; // outside the window
                std::int32_t expect = (n >= 13 && n <= 16) ? dateFromYmd(ymd.year, ymd.month, 1) : day;
                std::string shown = p.format(Value(std::int64_t(day)));
                EXPECT_EQ(p.deformat(shown).toInt(), expect) << pic << " '" << shown << "'";
            }
            EXPECT_EQ(p.deformat(p.format(Value(0))).toInt(), 0) << pic;
        }
    }
}

TEST_F(PictureTest, TimeFormats)
{
    const std::int32_t t = timeFromHms(13, 5, 9);
    const std::int32_t song = timeFromHms(0, 3, 45);
    struct Case {
        std::int32_t v;
        const char* pic;
        const char* out;
    };
    const Case cases[] = {
        {t, "@t1", "13:05"}, {t, "@t2", "1305"}, {t, "@t3", "1:05PM"}, {t, "@t4", "13:05:09"}, {t, "@t5", "130509"},
        {t, "@t6", "1:05:09PM"}, {t, "@t7", "13:05"}, {t, "@t8", "13:05:09"}, {t, "@t4.", "13.05.09"},
        {song, "@T4", "0:03:45"}, {song, "@t4b", "0:03:45"}, {1, "@t4b", "0:00:00"}, {0, "@t4b", ""},
        {0, "@t4", "0:00:00"}, {timeFromHms(0, 5, 0), "@t3", "12:05AM"}, {timeFromHms(12, 0, 0), "@t3", "12:00PM"},
        {timeFromHms(100, 0, 0), "@t4", "100:00:00"}, // durations are not wrapped
    };
    for (const auto& c : cases)
        EXPECT_EQ(format(Value(std::int64_t(c.v)), c.pic), c.out) << c.pic;
}

TEST_F(PictureTest, TimeDeformat)
{
    struct Case {
        const char* text;
        const char* pic;
        std::int32_t v;
    };
    const Case cases[] = {
        {"0:03:45", "@T4", timeFromHms(0, 3, 45)},
        {"3:45", "@t4", timeFromHms(3, 45, 0)}, // typed hours and minutes
        {"2:00", "@t1", 720001},
        {"1:05PM", "@t3", timeFromHms(13, 5, 0)},
        {"12:05 am", "@t3", timeFromHms(0, 5, 0)},
        {"1305", "@t2", timeFromHms(13, 5, 0)},
        {"130509", "@t5", timeFromHms(13, 5, 9)},
        {"13.05.09", "@t4.", timeFromHms(13, 5, 9)},
        {"", "@t4", 0},
        {"later", "@t4", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deformat(c.text, c.pic).toInt(), c.v) << c.text << " " << c.pic;
}

TEST_F(PictureTest, TimeRoundTrips)
{
    const std::int32_t times[] = {1, timeFromHms(0, 3, 45), timeFromHms(9, 0, 1), timeFromHms(12, 30, 0),
        timeFromHms(23, 59, 59), timeFromHms(0, 0, 59)};
    for (int n = 1; n <= 8; ++n) {
        for (const char* suffix : {"", "b", "."}) {
            std::string pic = "@t" + std::to_string(n) + suffix;
            Picture p = Picture::parse(pic);
            ASSERT_TRUE(p.valid()) << pic;
            const bool seconds = n == 4 || n == 5 || n == 6 || n == 8;
            for (std::int32_t t : times) {
                Hms h = hmsFromTime(t);
                std::int32_t expect = seconds ? t : timeFromHms(h.hours, h.minutes, 0);
                std::string shown = p.format(Value(std::int64_t(t)));
                EXPECT_EQ(p.deformat(shown).toInt(), expect) << pic << " '" << shown << "'";
            }
        }
    }
}

TEST_F(PictureTest, Patterns)
{
    struct Case {
        std::int64_t v;
        const char* pic;
        const char* out;
    };
    const Case cases[] = {
        {2, "@p(<)p", "(2)"}, {0, "@p(<)p", "( )"}, {0, "@p(<)pb", ""}, {12, "@p<<-pb", "12-"}, {5, "@p<<-pb", " 5-"},
        {0, "@p<<-pb", ""}, {7, "@p###-##p", "000-07"}, {12345, "@p###-##p", "123-45"},
        {123, "@p(<)p", "###"}, // more digits than places
    };
    for (const auto& c : cases)
        EXPECT_EQ(format(Value(c.v), c.pic), c.out) << c.v << " " << c.pic;
    EXPECT_EQ(format(Value(1e20), "@p######################p"), "0100000000000000000000");
    EXPECT_EQ(format(Value(1e20), "@p###-##p"), "######");
    EXPECT_EQ(format(Value(std::numeric_limits<double>::infinity()), "@p(<)p"), "###");
    EXPECT_EQ(deformat("(2)", "@p(<)p").toInt(), 2);
    EXPECT_EQ(deformat("123-45", "@p###-##p").toInt(), 12345);
    EXPECT_EQ(deformat("", "@p(<)p").toInt(), 0);
    for (std::int64_t v : {1, 9})
        EXPECT_EQ(deformat(format(Value(v), "@p(<)p"), "@p(<)p").toInt(), v);
}

} // namespace
