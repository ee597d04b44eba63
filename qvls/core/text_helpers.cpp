#include "qvls/core/text_helpers.h"

#include "platform/expr/expression.h"

namespace qv::qvls {

std::u32string toChars(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            ok = (n & 0xC0) == 0x80;
            cp = (cp << 6) | (n & 0x3F);
        }
        if (!ok) {
            // A stray byte is taken as Windows-1252's Latin-1 part.
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string fromChars(std::u32string_view chars)
{
    std::string out;
    out.reserve(chars.size());
    for (char32_t cp : chars) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

namespace {
template <bool Upper>
char32_t mapChar(char32_t c)
{
    if (c < 0x80) {
        if (Upper)
            return c >= 'a' && c <= 'z' ? c - 32 : c;
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    }
    // The expression library's UPPER and LOWER, so both agree on every letter.
    const std::u32string one(1, c);
    const std::u32string mapped = toChars(Upper ? expr::toUpper(fromChars(one)) : expr::toLower(fromChars(one)));
    return mapped.size() == 1 ? mapped[0] : c;
}
} // namespace

char32_t upperChar(char32_t c) { return mapChar<true>(c); }
char32_t lowerChar(char32_t c) { return mapChar<false>(c); }

std::u32string upperChars(std::u32string_view s)
{
    std::u32string out(s);
    for (char32_t& c : out)
        c = upperChar(c);
    return out;
}

std::u32string lowerChars(std::u32string_view s)
{
    std::u32string out(s);
    for (char32_t& c : out)
        c = lowerChar(c);
    return out;
}

std::u32string fitChars(std::u32string s, std::size_t n)
{
    s.resize(n, U' ');
    return s;
}

std::string fitText(std::string_view text, std::size_t n)
{
    return fromChars(fitChars(toChars(text), n));
}

std::size_t textLength(std::string_view text)
{
    return toChars(text).size();
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view trimBoth(std::string_view s)
{
    s = trimRight(s);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

void ReplaceText(std::string& text, std::string_view search, std::string_view replacement, bool ignoreCase)
{
    std::u32string t = toChars(text);
    const std::size_t width = t.size();
    const std::u32string s = toChars(search);
    const std::u32string r = toChars(replacement);
    if (s.empty())
        return;
    const std::u32string su = upperChars(s);
    for (std::size_t p = width; p >= 1; --p) {
        const std::size_t at = p - 1;
        // Only whole matches inside the buffer: never past its end.
        if (at + s.size() > t.size())
            continue;
        bool match = t.compare(at, s.size(), s) == 0;
        if (!match && ignoreCase)
            match = upperChars(std::u32string_view(t).substr(at, s.size())) == su;
        if (!match)
            continue;
        t = fitChars(t.substr(0, at) + r + t.substr(at + s.size()), width);
    }
    text = fromChars(t);
}

void ReplaceSubstring(std::string& text, std::string_view search, std::string_view replacement)
{
    ReplaceText(text, search, replacement, false);
}

void ReplaceAllNoCase(std::string& target, std::string_view find, std::string_view replacement)
{
    std::u32string t = toChars(target);
    const std::size_t width = t.size();
    const std::u32string f = upperChars(toChars(find));
    const std::u32string r = toChars(replacement);
    if (f.empty())
        return;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = upperChars(t).find(f, from);
        if (at == std::u32string::npos)
            break;
        t = fitChars(t.substr(0, at) + r + t.substr(at + f.size()), width);
        from = at + r.size();
        if (from >= width)
            break;
    }
    target = fromChars(t);
}

} // namespace qv::qvls
