#include "platform/expr/decimal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using qv::expr::Decimal;

namespace {

Decimal D(const char* s)
{
    auto d = Decimal::parse(s);
    EXPECT_TRUE(d.has_value()) << s;
    return d.value_or(Decimal());
}

TEST(Decimal, ParseAndPrintKeepTheScale)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"0", "0"}, {"12.50", "12.50"}, {"-12.5", "-12.5"}, {" +3 ", "3"}, {".5", "0.5"}, {"7.", "7"},
        {"-0.05", "-0.05"}, {"007.10", "7.10"}, {"-0", "0"}, {"999999999.99", "999999999.99"},
        {"123456789012345678", "123456789012345678"},
        {"0.1234567890123456789", "0.123456789012345679"}, // 19th place rounded
    };
    for (const auto& c : cases)
        EXPECT_EQ(D(c.in).toString(), c.out) << c.in;
}

TEST(Decimal, ParseRejectsWhatIsNotANumber)
{
    for (const char* bad : {"", "  ", "-", ".", "1.2.3", "12a", "1e5", "1 2", "--1", "1234567890123456789"})
        EXPECT_FALSE(Decimal::parse(bad).has_value()) << bad;
}

TEST(Decimal, ArithmeticIsExact)
{
    // The sum that binary floating point gets wrong.
    EXPECT_EQ((D("0.1") + D("0.2")).toString(), "0.3");
    EXPECT_EQ(D("0.1") + D("0.2"), D("0.3"));
    EXPECT_EQ((D("10.00") - D("0.01")).toString(), "9.99");
    EXPECT_EQ((D("1.5") - D("2.25")).toString(), "-0.75");
    EXPECT_EQ((D("1.25") * D("-0.2")).toString(), "-0.250");
    EXPECT_EQ((D("999999999.99") * D("100")).toString(), "99999999999.00");
    Decimal sum;
    for (int i = 0; i < 1000; ++i)
        sum += D("0.01");
    EXPECT_EQ(sum.toString(), "10.00");
}

TEST(Decimal, DivisionRoundsHalfAwayFromZero)
{
    struct Case {
        const char* a;
        const char* b;
        const char* q;
    };
    const Case cases[] = {
        {"1", "3", "0.333333"},
        {"2", "3", "0.666667"},
        {"-2", "3", "-0.666667"},
        {"10", "4", "2.500000"},
        {"1.00000000", "3", "0.33333333"}, // keeps the wider scale
        {"7", "-2", "-3.500000"},
        {"5", "0", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ((D(c.a) / D(c.b)).toString(), c.q) << c.a << "/" << c.b;
}

TEST(Decimal, RoundGivesExactlyThatManyPlaces)
{
    struct Case {
        const char* in;
        int places;
        const char* out;
    };
    const Case cases[] = {
        {"2.345", 2, "2.35"},
        {"-2.345", 2, "-2.35"},
        {"2.344", 2, "2.34"},
        {"0.5", 0, "1"},
        {"-0.5", 0, "-1"},
        {"0.49", 0, "0"},
        {"3", 2, "3.00"},
        {"99.995", 2, "100.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(D(c.in).round(c.places).toString(), c.out) << c.in;
    EXPECT_EQ(D("3").round(2).mantissa(), 300);
}

TEST(Decimal, CompareByValueNotByScale)
{
    EXPECT_EQ(D("1.5"), D("1.50"));
    EXPECT_LT(D("-1"), D("0.001"));
    EXPECT_GT(D("10"), D("9.99999"));
    EXPECT_LT(D("-2.5"), D("-2.4"));
}

TEST(Decimal, IntegerConversionsTruncateTowardZero)
{
    EXPECT_EQ(Decimal::fromInt(-42).toString(), "-42");
    EXPECT_EQ(D("12.99").toInt(), 12);
    EXPECT_EQ(D("-12.99").toInt(), -12);
    EXPECT_EQ(Decimal(12345, 2).toString(), "123.45");
    EXPECT_DOUBLE_EQ(D("0.1").toDouble(), 0.1);
}

TEST(Decimal, OverflowSaturatesInsteadOfWrapping)
{
    Decimal big = D("900000000000000000");
    EXPECT_GT(big * big, big);
    EXPECT_GT(big + big, big);
    EXPECT_LT(big.negated() - big, big.negated());
    // Fraction digits give way before the integer part does.
    EXPECT_EQ((D("100000000000.123456") * D("10")).toString(), "1000000000001.234560");
}

TEST(Decimal, TryOperationsSayWhereTheOperatorsWouldSaturate)
{
    const Decimal big(9000000000000000000, 0); // 19 digits: more than text gives
    struct Case {
        char op;
        Decimal a, b;
        const char* result; // nullptr: does not fit
    };
    const Case cases[] = {
        {'+', D("0.1"), D("0.2"), "0.3"},
        {'+', D("900000000000000000"), D("900000000000000000"), "1800000000000000000"},
        {'+', big, D("100000000000000000"), "9100000000000000000"},
        {'+', big, D("900000000000000000"), nullptr},
        {'-', big.negated(), D("900000000000000000"), nullptr},
        {'*', D("1.25"), D("-0.2"), "-0.250"},
        {'*', D("123456789012"), D("123456789012"), nullptr},
        {'*', D("100000000000.123456"), D("10"), "1000000000001.234560"}, // places give way first
        {'*', D("0.0000000005"), D("0.000000001"), "0.000000000000000001"}, // rounded, still there
        {'*', D("0.0000000001"), D("0.0000000001"), nullptr}, // every digit rounded away
        {'*', D("0"), D("0.000000001"), "0.000000000"},
        {'/', D("1"), D("3"), "0.333333"},
        {'/', D("5"), D("0"), "0"},
        {'/', D("999999999999999999"), D("0.001"), nullptr},
        {'/', D("9"), D("0.000000000000000001"), "9000000000000000000"},
        {'/', D("10"), D("0.000000000000000001"), nullptr},
    };
    for (const auto& c : cases) {
        std::optional<Decimal> r = c.op == '+' ? Decimal::tryAdd(c.a, c.b)
            : c.op == '-'                      ? Decimal::trySubtract(c.a, c.b)
            : c.op == '*'                      ? Decimal::tryMultiply(c.a, c.b)
                                               : Decimal::tryDivide(c.a, c.b);
        const std::string what = c.a.toString() + c.op + c.b.toString();
        if (c.result) {
            ASSERT_TRUE(r.has_value()) << what;
            EXPECT_EQ(r->toString(), c.result) << what;
        } else {
            EXPECT_FALSE(r.has_value()) << what << " gave " << r->toString();
        }
    }
}

TEST(Decimal, RoundToTheNearestMultipleOfAStep)
{
    struct Case {
        Decimal in, step;
        const char* out; // nullptr: does not fit
    };
    const Case cases[] = {
        {D("2.345"), D("0.01"), "2.35"}, {D("-2.345"), D("0.01"), "-2.35"}, {D("1234"), D("100"), "1200"},
        {D("1250"), D("-100"), "1300"}, // the step's sign does not matter
        {D("7"), D("0.5"), "7.0"}, {D("7.3"), D("0"), "7.3"},
        {D("4.4999999"), D("3"), "3"}, // one rounding, of 1.49999996...
        {D("100"), D("0.00000000000000001"), "100.0000000000000000"}, // places give way
        {D("123456789012345678"), D("0.01"), "123456789012345678.0"},
        {Decimal(9000000000000000000, 0), D("100000000000000000"), "9000000000000000000"},
        {Decimal(9220000000000000000, 0), D("800000000000000000"), nullptr}, // 12 steps: 9.6E18
    };
    for (const auto& c : cases) {
        std::optional<Decimal> r = c.in.tryRoundTo(c.step);
        const std::string what = c.in.toString() + " to " + c.step.toString();
        if (c.out) {
            ASSERT_TRUE(r.has_value()) << what;
            EXPECT_EQ(r->toString(), c.out) << what;
        } else {
            EXPECT_FALSE(r.has_value()) << what;
        }
    }
}

TEST(Decimal, RemainderIsExactAndTakesTheSignOfTheDividend)
{
    struct Case {
        const char* a;
        const char* b;
        const char* r;
    };
    const Case cases[] = {
        {"7", "3", "1"},
        {"-7", "3", "-1"},
        {"7", "-3", "1"},
        {"7.5", "2", "1.5"},
        {"2.999999", "3", "2.999999"}, // a quotient that rounds up to 1 must not matter
        {"999999999999999999", "0.001", "0.000"}, // a quotient too large for a decimal
        {"0.000000000000000007", "999999999999999999", "0.000000000000000007"},
        {"5", "0", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(D(c.a).remainder(D(c.b)).toString(), c.r) << c.a << " % " << c.b;
}

} // namespace
