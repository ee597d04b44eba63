#include "platform/expr/value.h"

#include "platform/text/text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qv::expr {

namespace {

std::string realText(double v)
{
    if (std::isnan(v))
        return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

// Plain decimal text without trailing fraction zeros: 12.50 -> "12.5".
std::string decimalText(const Decimal& d)
{
    std::string s = d.toString();
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

int sign(double d)
{
    return d < 0 ? -1 : d > 0 ? 1 : 0;
}

} // namespace

std::string positionalText(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v); // "-1.23450000000000e+21"
    std::string_view s(buf);
    std::string out;
    if (s.front() == '-') {
        out.push_back('-');
        s.remove_prefix(1);
    }
    const std::size_t e = s.find('e');
    std::string digits(1, s[0]);
    digits.append(s.substr(2, e - 2));
    const int exponent = std::atoi(std::string(s.substr(e + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return "0";
    const int before = exponent + 1; // digits before the point
    if (before <= 0)
        out += "0." + std::string(static_cast<std::size_t>(-before), '0') + digits;
    else if (static_cast<std::size_t>(before) >= digits.size())
        out += digits + std::string(static_cast<std::size_t>(before) - digits.size(), '0');
    else
        out += digits.substr(0, static_cast<std::size_t>(before)) + "."
            + digits.substr(static_cast<std::size_t>(before));
    return out;
}

bool parseNumber(std::string_view text, Value& out)
{
    text = text::trim(text, text::kBlankOrTab);
    if (text.empty())
        return false;
    bool exponent = false;
    bool point = false;
    for (char c : text) {
        if (c == 'e' || c == 'E')
            exponent = true;
        if (c == '.')
            point = true;
    }
    if (!exponent) {
        if (!point) {
            std::size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
            if (i < text.size() && text.size() - i <= 18) {
                bool digits = true;
                for (std::size_t j = i; j < text.size(); ++j)
                    digits = digits && text[j] >= '0' && text[j] <= '9';
                if (digits) {
                    std::int64_t v = 0;
                    for (std::size_t j = i; j < text.size(); ++j)
                        v = v * 10 + (text[j] - '0');
                    out = Value(text[0] == '-' ? -v : v);
                    return true;
                }
            }
        }
        if (auto d = Decimal::parse(text)) {
            out = Value(*d);
            return true;
        }
    }
    // Reals: a mantissa with digits, then an optional exponent; nothing else.
    std::string buf(text);
    bool sawDigit = false;
    for (char c : buf)
        sawDigit = sawDigit || (c >= '0' && c <= '9');
    if (!sawDigit)
        return false;
    for (char c : buf)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(buf.c_str(), &end);
    if (end != buf.c_str() + buf.size() || errno == ERANGE || !std::isfinite(v))
        return false;
    out = Value(v);
    return true;
}

Value Value::asNumber() const
{
    if (kind_ != Kind::String)
        return *this;
    Value v;
    if (parseNumber(str_, v))
        return v;
    return Value(0);
}

bool Value::looksNumeric() const
{
    if (kind_ != Kind::String)
        return true;
    Value v;
    return parseNumber(str_, v);
}

std::int64_t Value::toInt() const
{
    switch (kind_) {
    case Kind::Integer:
        return int_;
    case Kind::Decimal:
        return dec_.toInt();
    case Kind::Real:
        if (std::isnan(real_))
            return 0;
        if (real_ >= 9.2e18)
            return INT64_MAX;
        if (real_ <= -9.2e18)
            return -INT64_MAX;
        return static_cast<std::int64_t>(real_);
    case Kind::String:
        return asNumber().toInt();
    }
    return 0;
}

Decimal Value::toDecimal() const
{
    switch (kind_) {
    case Kind::Integer:
        return Decimal::fromInt(int_);
    case Kind::Decimal:
        return dec_;
    case Kind::Real: {
        if (std::isnan(real_))
            return Decimal();
        if (std::isfinite(real_)) {
            const std::string text = positionalText(real_);
            if (auto d = Decimal::parse(text))
                return *d;
            // A whole number of 19 digits may still fit the mantissa.
            errno = 0;
            const long long whole = std::strtoll(text.c_str(), nullptr, 10);
            if (errno == 0 && whole > -INT64_MAX)
                return Decimal(whole, 0);
        }
        return Decimal(real_ < 0 ? -INT64_MAX : INT64_MAX, 0);
    }
    case Kind::String:
        return asNumber().toDecimal();
    }
    return Decimal();
}

double Value::toReal() const
{
    switch (kind_) {
    case Kind::Integer:
        return static_cast<double>(int_);
    case Kind::Decimal:
        return dec_.toDouble();
    case Kind::Real:
        return real_;
    case Kind::String:
        return asNumber().toReal();
    }
    return 0;
}

std::string Value::toString() const
{
    switch (kind_) {
    case Kind::Integer:
        return std::to_string(int_);
    case Kind::Decimal:
        return decimalText(dec_);
    case Kind::Real:
        return realText(real_);
    case Kind::String:
        return str_;
    }
    return {};
}

bool Value::truthy() const
{
    switch (kind_) {
    case Kind::Integer:
        return int_ != 0;
    case Kind::Decimal:
        return !dec_.isZero();
    case Kind::Real:
        return real_ != 0;
    case Kind::String:
        return !text::trim(str_, text::kBlankOrTab).empty();
    }
    return false;
}

int compare(const Value& a, const Value& b)
{
    bool numeric = a.isNumber() && b.isNumber();
    Value na, nb;
    if (!numeric && (a.isNumber() || b.isNumber())) {
        const Value& s = a.isString() ? a : b;
        Value n;
        if (text::trim(s.str(), text::kBlankOrTab).empty() || parseNumber(s.str(), n)) {
            numeric = true;
            na = a.asNumber();
            nb = b.asNumber();
        }
    }
    if (numeric) {
        const Value& x = a.isNumber() ? a : na;
        const Value& y = b.isNumber() ? b : nb;
        if (x.kind() == Value::Kind::Integer && y.kind() == Value::Kind::Integer) {
            auto i = x.toInt(), j = y.toInt();
            return i < j ? -1 : i > j ? 1 : 0;
        }
        if (x.isExact() && y.isExact()) {
            auto c = x.toDecimal() <=> y.toDecimal();
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        return sign(x.toReal() - y.toReal());
    }
    std::string sa, sb;
    std::string_view va = a.isString() ? std::string_view(a.str()) : (sa = a.toString());
    std::string_view vb = b.isString() ? std::string_view(b.str()) : (sb = b.toString());
    int c = text::trimRight(va).compare(text::trimRight(vb));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool operator==(const Value& a, const Value& b)
{
    return compare(a, b) == 0;
}

} // namespace qv::expr
