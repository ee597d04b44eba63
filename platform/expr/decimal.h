#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::expr {

// Exact decimal number: value = mantissa / 10^scale, scale 0..18.
// Never goes through binary floating point, so money-like DECIMAL(b,p) fields
// keep every digit they were given.
//
// Arithmetic:
//   + and -   exact; the result has the larger of the two scales.
//   *         exact; the result scale is the sum of the scales (reduced, with
//             rounding, only when the mantissa would not fit).
//   /         rounded half away from zero to max(6, scale of a, scale of b)
//             places; division by zero gives 0 (the run-time language's rule).
//   round(p)  half away from zero; the result has exactly p places.
// A result that does not fit the 64-bit mantissa even without places
// saturates at the largest value of its sign; the tables never come near it
// (DECIMAL(11,2) at most). The try... operations say so instead.
class Decimal
{
public:
    static constexpr int kMaxScale = 18;
    static constexpr int kDivisionPlaces = 6;

    constexpr Decimal() = default;
    // mantissa / 10^scale; a scale outside 0..18 is clamped.
    Decimal(std::int64_t mantissa, int scale);

    static Decimal fromInt(std::int64_t v) { return Decimal(v, 0); }

    // "-12.50", "+3", ".5", "7.", with blanks around; nothing else.
    // Fraction digits beyond 18 places are rounded; an integer part too large
    // for 18 digits, or anything that is not a number, gives nullopt.
    static std::optional<Decimal> parse(std::string_view text);

    // Plain text with exactly scale() fraction digits: "-12.50", "0", "0.05".
    std::string toString() const;
    // The same after round(places).
    std::string toString(int places) const { return round(places).toString(); }

    // Truncates toward zero.
    std::int64_t toInt() const;
    // For callers that need a real number (never used inside this class).
    double toDouble() const;

    std::int64_t mantissa() const { return mantissa_; }
    int scale() const { return scale_; }
    bool isZero() const { return mantissa_ == 0; }
    bool isNegative() const { return mantissa_ < 0; }

    Decimal round(int places) const;
    Decimal negated() const;
    Decimal abs() const { return isNegative() ? negated() : *this; }

    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    friend Decimal operator/(const Decimal& a, const Decimal& b);
    Decimal operator-() const { return negated(); }
    Decimal& operator+=(const Decimal& o) { return *this = *this + o; }
    Decimal& operator-=(const Decimal& o) { return *this = *this - o; }
    Decimal& operator*=(const Decimal& o) { return *this = *this * o; }
    Decimal& operator/=(const Decimal& o) { return *this = *this / o; }

    // The operations above, or nothing where they would saturate: for the
    // run-time language, which goes on in floating point there. A product
    // whose every digit would round away (1E-10 * 1E-10) gives nothing too,
    // rather than 0.
    static std::optional<Decimal> tryAdd(const Decimal& a, const Decimal& b);
    static std::optional<Decimal> trySubtract(const Decimal& a, const Decimal& b);
    static std::optional<Decimal> tryMultiply(const Decimal& a, const Decimal& b);
    static std::optional<Decimal> tryDivide(const Decimal& a, const Decimal& b);
    // The multiple of step nearest to this value, halves away from zero, with
    // the places of step; its sign does not matter, and zero changes nothing.
    std::optional<Decimal> tryRoundTo(const Decimal& step) const;
    // this - b * trunc(this / b), exactly: the sign of this, smaller than b.
    // Always fits; b zero gives 0.
    Decimal remainder(const Decimal& b) const;

    // By value: 1.5 == 1.50.
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

private:
    std::int64_t mantissa_ = 0;
    int scale_ = 0;
};

} // namespace qv::expr
