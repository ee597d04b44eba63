#include "platform/expr/decimal.h"

#include "platform/text/text.h"

#include <algorithm>
#include <limits>

namespace qv::expr {

namespace {

using Wide = __int128;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

Wide pow10(int n)
{
    Wide r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

// a / b rounded half away from zero; b > 0.
Wide divRound(Wide a, Wide b)
{
    Wide q = a / b;
    Wide r = a % b;
    if (r < 0)
        r = -r;
    if (r * 2 >= b)
        q += (a < 0) ? -1 : 1;
    return q;
}

// A wide mantissa brought into 64 bits, giving up fraction digits first;
// nothing when the integer part alone is too wide.
std::optional<Decimal> fit(Wide m, int scale)
{
    while (scale > Decimal::kMaxScale || ((m > kMax || m < -kMax) && scale > 0)) {
        m = divRound(m, 10);
        --scale;
    }
    if (m > kMax || m < -kMax)
        return std::nullopt;
    return Decimal(static_cast<std::int64_t>(m), scale);
}

Decimal narrow(Wide m, int scale)
{
    return fit(m, scale).value_or(Decimal(m < 0 ? -kMax : kMax, 0));
}

Wide scaledTo(const Decimal& d, int scale)
{
    return Wide(d.mantissa()) * pow10(scale - d.scale());
}

// The exact results, before they are brought into 64 bits.
struct Exact {
    Wide m;
    int scale;
};

Exact sum(const Decimal& a, const Decimal& b)
{
    int s = std::max(a.scale(), b.scale());
    return {scaledTo(a, s) + scaledTo(b, s), s};
}

Exact product(const Decimal& a, const Decimal& b)
{
    return {Wide(a.mantissa()) * Wide(b.mantissa()), a.scale() + b.scale()};
}

// a / b rounded to the division's places; b not zero.
Exact quotient(const Decimal& a, const Decimal& b)
{
    int s = std::max({Decimal::kDivisionPlaces, a.scale(), b.scale()});
    // a/b at scale s: (ma * 10^(s - sa + sb)) / mb. Reduce the exponent if the
    // numerator would overflow 128 bits; only extreme scales get there (10^19 * 2^63 < 2^127).
    int exp = s - a.scale() + b.scale();
    while (exp > 19) {
        --exp;
        --s;
    }
    Wide num = Wide(a.mantissa()) * pow10(exp);
    Wide den = b.mantissa();
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return {divRound(num, den), s};
}

} // namespace

Decimal::Decimal(std::int64_t mantissa, int scale)
    : mantissa_(mantissa)
    , scale_(std::clamp(scale, 0, kMaxScale))
{
    if (mantissa_ == std::numeric_limits<std::int64_t>::min())
        mantissa_ = -kMax;
}

std::optional<Decimal> Decimal::parse(std::string_view text)
{
    text = text::trim(text, text::kBlankOrTab);
    if (text.empty())
        return std::nullopt;

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    Wide m = 0;
    int scale = 0;
    int digits = 0; // significant integer digits
    bool point = false;
    bool any = false;
    bool roundUp = false; // first dropped fraction digit was >= 5
    bool dropping = false;
    for (char c : text) {
        if (c == '.') {
            if (point)
                return std::nullopt;
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        any = true;
        int d = c - '0';
        if (!point) {
            if (m == 0 && d == 0)
                continue;
            if (++digits > 18)
                return std::nullopt;
            m = m * 10 + d;
        } else if (dropping || scale == kMaxScale || m * 10 + d > kMax) {
            if (!dropping)
                roundUp = d >= 5;
            dropping = true;
        } else {
            m = m * 10 + d;
            ++scale;
        }
    }
    if (!any)
        return std::nullopt;
    if (roundUp)
        m += 1;
    if (negative)
        m = -m;
    return narrow(m, scale);
}

std::string Decimal::toString() const
{
    std::string digits;
    Wide m = mantissa_;
    bool negative = m < 0;
    if (negative)
        m = -m;
    do {
        digits.push_back(static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    } while (m != 0);
    while (static_cast<int>(digits.size()) <= scale_)
        digits.push_back('0');
    std::string out;
    if (negative)
        out.push_back('-');
    for (int i = static_cast<int>(digits.size()) - 1; i >= 0; --i) {
        out.push_back(digits[static_cast<std::size_t>(i)]);
        if (i == scale_ && scale_ > 0)
            out.push_back('.');
    }
    return out;
}

std::int64_t Decimal::toInt() const
{
    return static_cast<std::int64_t>(Wide(mantissa_) / pow10(scale_));
}

double Decimal::toDouble() const
{
    // Through text so that 0.1 becomes the nearest double, not a sum of errors.
    return std::stod(toString());
}

Decimal Decimal::round(int places) const
{
    places = std::clamp(places, 0, kMaxScale);
    if (places >= scale_)
        return narrow(scaledTo(*this, places), places);
    return narrow(divRound(mantissa_, pow10(scale_ - places)), places);
}

Decimal Decimal::negated() const
{
    return Decimal(-mantissa_, scale_);
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    auto [m, s] = sum(a, b);
    return narrow(m, s);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    auto [m, s] = sum(a, b.negated());
    return narrow(m, s);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    auto [m, s] = product(a, b);
    return narrow(m, s);
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        return Decimal();
    auto [m, s] = quotient(a, b);
    return narrow(m, s);
}

std::optional<Decimal> Decimal::tryAdd(const Decimal& a, const Decimal& b)
{
    auto [m, s] = sum(a, b);
    return fit(m, s);
}

std::optional<Decimal> Decimal::trySubtract(const Decimal& a, const Decimal& b)
{
    auto [m, s] = sum(a, b.negated());
    return fit(m, s);
}

std::optional<Decimal> Decimal::tryMultiply(const Decimal& a, const Decimal& b)
{
    auto [m, s] = product(a, b);
    std::optional<Decimal> r = fit(m, s);
    if (r && r->isZero() && m != 0)
        return std::nullopt;
    return r;
}

std::optional<Decimal> Decimal::tryDivide(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        return Decimal();
    auto [m, s] = quotient(a, b);
    return fit(m, s);
}

std::optional<Decimal> Decimal::tryRoundTo(const Decimal& step) const
{
    if (step.isZero())
        return *this;
    // this / step = (m * 10^ss) / (|ms| * 10^s); both below 2^63 * 10^18 < 2^123,
    // and so is the nearest multiple, q * |ms| at the step's scale.
    const Wide ms = step.isNegative() ? -Wide(step.mantissa()) : Wide(step.mantissa());
    const Wide q = divRound(Wide(mantissa_) * pow10(step.scale()), ms * pow10(scale_));
    return fit(q * ms, step.scale());
}

Decimal Decimal::remainder(const Decimal& b) const
{
    if (b.isZero())
        return Decimal();
    // At the larger scale the remainder is no larger than either operand,
    // and one of them keeps its 64-bit mantissa there.
    int s = std::max(scale_, b.scale());
    return Decimal(static_cast<std::int64_t>(scaledTo(*this, s) % scaledTo(b, s)), s);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    int s = std::max(a.scale(), b.scale());
    Wide x = scaledTo(a, s);
    Wide y = scaledTo(b, s);
    return x < y ? std::strong_ordering::less : x > y ? std::strong_ordering::greater : std::strong_ordering::equal;
}

} // namespace qv::expr
