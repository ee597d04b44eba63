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

// Bring a wide mantissa into 64 bits, giving up fraction digits first.
Decimal narrow(Wide m, int scale)
{
    while (scale > Decimal::kMaxScale || ((m > kMax || m < -kMax) && scale > 0)) {
        m = divRound(m, 10);
        --scale;
    }
    if (m > kMax)
        return Decimal(kMax, 0);
    if (m < -kMax)
        return Decimal(-kMax, 0);
    return Decimal(static_cast<std::int64_t>(m), scale);
}

Wide scaledTo(const Decimal& d, int scale)
{
    return Wide(d.mantissa()) * pow10(scale - d.scale());
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
    int s = std::max(a.scale(), b.scale());
    return narrow(scaledTo(a, s) + scaledTo(b, s), s);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    int s = std::max(a.scale(), b.scale());
    return narrow(scaledTo(a, s) - scaledTo(b, s), s);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    return narrow(Wide(a.mantissa()) * Wide(b.mantissa()), a.scale() + b.scale());
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        return Decimal();
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
    return narrow(divRound(num, den), s);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    int s = std::max(a.scale(), b.scale());
    Wide x = scaledTo(a, s);
    Wide y = scaledTo(b, s);
    return x < y ? std::strong_ordering::less : x > y ? std::strong_ordering::greater : std::strong_ordering::equal;
}

} // namespace qv::expr
