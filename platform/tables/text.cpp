#include "platform/tables/text.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace qv::tables {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one code point; a byte that does not start a valid sequence comes back as itself.
char32_t decode(std::string_view s, size_t& i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra <= 0 || i + extra >= s.size()) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if (!isContinuation(d)) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void encode(char32_t cp, std::string& out)
{
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
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

locale_t utf8Locale()
{
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

}  // namespace

static bool isAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

size_t charCount(std::string_view s)
{
    if (isAscii(s)) return s.size();
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        decode(s, i);
        ++n;
    }
    return n;
}

std::string_view firstChars(std::string_view s, size_t n)
{
    if (s.size() <= n || isAscii(s.substr(0, n + 1))) return s.substr(0, std::min(n, s.size()));
    size_t i = 0;
    for (size_t k = 0; k < n && i < s.size(); ++k) decode(s, i);
    return s.substr(0, i);
}

std::string padTo(std::string_view s, size_t n)
{
    if (s.size() <= n && isAscii(s)) {
        std::string out;
        out.reserve(n);
        out.append(s);
        out.append(n - s.size(), ' ');
        return out;
    }
    std::string out(firstChars(s, n));
    size_t have = charCount(out);
    if (have < n) out.append(n - have, ' ');
    return out;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string foldKey(std::string_view s)
{
    s = trimRight(s);
    std::string out;
    out.reserve(s.size());
    locale_t loc = utf8Locale();
    for (size_t i = 0; i < s.size();) {
        char32_t cp = decode(s, i);
        if (cp < 0x80) {
            out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
            continue;
        }
        if (loc) cp = static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), loc));
        encode(cp, out);
    }
    return out;
}

bool isValidUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
        if (extra == 1 && c < 0xC2) return false;
        for (int k = 1; k <= extra; ++k)
            if (!isContinuation(static_cast<unsigned char>(s[i + k]))) return false;
        i += extra + 1;
    }
    return true;
}

std::string fromCp1252(std::string_view s)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (unsigned char c : s) {
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) cp = high[c - 0x80];
        encode(cp, out);
    }
    return out;
}

}  // namespace qv::tables
