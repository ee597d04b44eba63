#include "platform/expr/value.h"

#include <gtest/gtest.h>

#include <limits>

using namespace qv::expr;

namespace {

TEST(Values, TextReadsAsTheNumberItSpells)
{
    struct Case {
        const char* text;
        Value::Kind kind;
        const char* back;
    };
    const Case cases[] = {
        {"42", Value::Kind::Integer, "42"},
        {" -7 ", Value::Kind::Integer, "-7"},
        {"12.50", Value::Kind::Decimal, "12.5"},
        {".5", Value::Kind::Decimal, "0.5"},
        {"1e3", Value::Kind::Real, "1000"},
        {"2.5E-1", Value::Kind::Real, "0.25"},
        {"1234567890123456789012", Value::Kind::Real, "1.23456789012346e+21"},
    };
    for (const auto& c : cases) {
        Value v;
        ASSERT_TRUE(parseNumber(c.text, v)) << c.text;
        EXPECT_EQ(v.kind(), c.kind) << c.text;
        EXPECT_EQ(v.toString(), c.back) << c.text;
    }
    for (const char* bad : {"", " ", "abc", "1,234", "12a", "--1", "e5", "1e", "0x10"}) {
        Value v;
        EXPECT_FALSE(parseNumber(bad, v)) << bad;
        EXPECT_EQ(Value(bad).toInt(), 0) << bad;
    }
}

TEST(Values, ConversionsBetweenKinds)
{
    EXPECT_EQ(Value(Decimal(-1299, 2)).toInt(), -12);
    EXPECT_EQ(Value(2.75).toDecimal().toString(), "2.75");
    EXPECT_EQ(Value(0.1).toDecimal() + Value(0.2).toDecimal(), Decimal(3, 1));
    EXPECT_EQ(Value(1e30).toInt(), INT64_MAX);
    EXPECT_EQ(Value("  12.5 ").toDecimal(), Decimal(125, 1));
    EXPECT_DOUBLE_EQ(Value("0.25").toReal(), 0.25);
    EXPECT_EQ(Value(3.0).toString(), "3");
}

TEST(Values, RealsBeyondTheDecimalRange)
{
    struct Case {
        double v;
        const char* text; // toString()
        const char* positional;
        const char* decimal; // toDecimal()
    };
    const Case cases[] = {
        {2.75, "2.75", "2.75", "2.75"},
        {-0.1, "-0.1", "-0.1", "-0.1"},
        {1.5e-17, "1.5e-17", "0.000000000000000015", "0.000000000000000015"},
        {1e-30, "1e-30", "0.000000000000000000000000000001", "0.000000000000000000"},
        {5e18, "5e+18", "5000000000000000000", "5000000000000000000"},
        {1e30, "1e+30", "1000000000000000000000000000000", "9223372036854775807"},
        {-1.234567890123456e25, "-1.23456789012346e+25", "-12345678901234600000000000", "-9223372036854775807"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Value(c.v).toString(), c.text) << c.v;
        EXPECT_EQ(positionalText(c.v), c.positional) << c.v;
        EXPECT_EQ(Value(c.v).toDecimal().toString(), c.decimal) << c.v;
    }
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Value(inf).toString(), "inf");
    EXPECT_EQ(Value(-inf).toString(), "-inf");
    EXPECT_EQ(Value(inf).toInt(), INT64_MAX); // as any real beyond 64 bits
    EXPECT_EQ(Value(-inf).toDecimal().toString(), "-9223372036854775807");
    EXPECT_EQ(compare(Value(inf), Value(1e308)), 1);
    EXPECT_EQ(compare(Value(-inf), Value(Decimal(-1, 0))), -1);
}

TEST(Values, Truth)
{
    EXPECT_FALSE(Value(0).truthy());
    EXPECT_FALSE(Value(Decimal(0, 2)).truthy());
    EXPECT_FALSE(Value("   ").truthy());
    EXPECT_TRUE(Value("0").truthy()); // a string is true when it is not blank
    EXPECT_TRUE(Value(-1).truthy());
    EXPECT_TRUE(Value(0.001).truthy());
}

TEST(Values, CompareAcrossKinds)
{
    struct Case {
        Value a, b;
        int c;
    };
    const Case cases[] = {
        {Value(1), Value(Decimal(100, 2)), 0},
        {Value(Decimal(101, 2)), Value(1.01), 0},
        {Value(2), Value(1.5), 1},
        {Value(10), Value("9"), 1}, // numeric text: by number
        {Value("10"), Value("9"), -1}, // two strings: by text
        {Value("abc  "), Value("abc"), 0},
        {Value("abc"), Value("ABC"), 1},
        {Value(5), Value("five"), -1}, // "5" < "five" as text
        {Value(0), Value(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compare(c.a, c.b), c.c) << c.a.toString() << " vs " << c.b.toString();
}

} // namespace
