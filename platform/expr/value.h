#pragma once

#include "platform/expr/decimal.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace qv::expr {

// A run-time value: a number (integer, exact decimal or real) or a string.
// Conversions follow the run-time language: a string used as a number is read
// as one (blanks around it allowed; text that is not a number counts 0), a
// number used as a string is its plain text ("12.5", "-3", "0.25", a real
// with 15 significant digits such as "1.23456789012346e+21", an infinite
// real "inf" or "-inf").
class Value
{
public:
    enum class Kind : std::uint8_t { Integer, Decimal, Real, String };

    Value() = default; // integer 0
    Value(int v)
        : int_(v)
    { }
    Value(std::int64_t v)
        : int_(v)
    { }
    Value(long long v)
        : int_(static_cast<std::int64_t>(v))
    { }
    Value(unsigned v)
        : int_(v)
    { }
    // Counts beyond the int64 range saturate.
    Value(unsigned long v)
        : int_(v > 9223372036854775807UL ? 9223372036854775807 : static_cast<std::int64_t>(v))
    { }
    Value(const Decimal& v)
        : kind_(Kind::Decimal)
        , dec_(v)
    { }
    Value(double v)
        : kind_(Kind::Real)
        , real_(v)
    { }
    Value(std::string v)
        : kind_(Kind::String)
        , str_(std::move(v))
    { }
    Value(std::string_view v)
        : kind_(Kind::String)
        , str_(v)
    { }
    Value(const char* v)
        : kind_(Kind::String)
        , str_(v)
    { }

    Kind kind() const { return kind_; }
    bool isString() const { return kind_ == Kind::String; }
    bool isNumber() const { return kind_ != Kind::String; }
    // Integer or decimal: arithmetic on it stays exact.
    bool isExact() const { return kind_ == Kind::Integer || kind_ == Kind::Decimal; }

    // Integer part (truncated toward zero); reals beyond 64 bits saturate.
    std::int64_t toInt() const;
    // Reals are rounded to 15 significant digits; beyond the decimal range
    // they saturate.
    Decimal toDecimal() const;
    double toReal() const;
    std::string toString() const;
    // The string itself without a copy; only for kind() == String.
    const std::string& str() const { return str_; }

    // Numbers: not zero. Strings: not all blanks.
    bool truthy() const;

    // A string that reads as a number (blanks around it allowed), or a number.
    bool looksNumeric() const;

    // The number a string reads as, keeping its kind (integer, decimal or
    // real); a number is returned unchanged.
    Value asNumber() const;

    // Equality of the run-time language (see compare()); for tests.
    friend bool operator==(const Value& a, const Value& b);

private:
    Kind kind_ = Kind::Integer;
    std::int64_t int_ = 0;
    Decimal dec_;
    double real_ = 0;
    std::string str_;
};

// Reads a number from text: integer, decimal (with a point) or real (with an
// exponent); blanks around it allowed. Fails on anything else.
bool parseNumber(std::string_view text, Value& out);

// A finite real in positional notation, rounded to the 15 significant digits
// that reals show: 1e30 gives "1000000000000000000000000000000", 1.5e-17
// gives "0.000000000000000015".
std::string positionalText(double v);

// Three-way comparison of the run-time language:
//  - two numbers compare by value (exactly when both are integer/decimal);
//  - two strings compare byte by byte (so case matters: UPPER()/LOWER() make
//    a comparison case-blind) after trailing blanks are dropped, because
//    fixed-length fields arrive padded with blanks;
//  - a number and a string compare as numbers when the string reads as one
//    (a blank string reads as 0), otherwise as strings.
int compare(const Value& a, const Value& b);

} // namespace qv::expr
