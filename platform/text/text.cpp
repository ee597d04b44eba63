#include "platform/text/text.h"

#include <algorithm>

namespace qv::text {

namespace {

// Continuation bytes a lead byte announces; -1 for a byte that leads nothing.
int sequenceLength(unsigned char c)
{
    return c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
}

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

// Lenient on purpose: stored keys were folded through this decoding, so it
// must read every byte sequence exactly as it always has.
char32_t decodeChar(std::string_view s, std::size_t& at)
{
    const auto c = static_cast<unsigned char>(s[at]);
    const int extra = sequenceLength(c);
    if (extra <= 0 || at + static_cast<std::size_t>(extra) >= s.size()) {
        ++at;
        return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const char d = s[at + static_cast<std::size_t>(k)];
        if (!isContinuation(d)) {
            ++at;
            return c;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(d) & 0x3F);
    }
    at += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void appendChar(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string toChars(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        out.push_back(decodeChar(s, i));
    return out;
}

std::string fromChars(std::u32string_view chars)
{
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars)
        appendChar(out, c);
    return out;
}

// Overlong forms, surrogates and code points past U+10FFFF are refused too:
// Windows-1252 text can form them ("à€©" is E0 80 A9).
bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = sequenceLength(c);
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
            return false;
        std::size_t at = i;
        const char32_t cp = decodeChar(s, at);
        if (at != i + static_cast<std::size_t>(extra) + 1)
            return false;
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i = at;
    }
    return true;
}

std::string fromCp1252(std::string_view s)
{
    // 0x80..0x9F; the five bytes Windows-1252 leaves undefined keep their C1 value.
    static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
        0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (const char b : s) {
        const auto c = static_cast<unsigned char>(b);
        appendChar(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
    }
    return out;
}

std::size_t charCount(std::string_view s)
{
    if (isAscii(s))
        return s.size();
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n)
        decodeChar(s, i);
    return n;
}

std::size_t byteOffset(std::string_view s, std::size_t k)
{
    std::size_t i = 0;
    for (; k > 0 && i < s.size(); --k)
        decodeChar(s, i);
    return i;
}

std::string_view firstChars(std::string_view s, std::size_t n)
{
    // Record buffers are mostly ASCII; spare them the decoding.
    if (s.size() <= n || isAscii(s.substr(0, n + 1)))
        return s.substr(0, std::min(n, s.size()));
    return s.substr(0, byteOffset(s, n));
}

std::string padTo(std::string_view s, std::size_t n)
{
    std::string out(firstChars(s, n));
    const std::size_t have = out.size() <= n && isAscii(out) ? out.size() : charCount(out);
    out.append(n - have, ' ');
    return out;
}

std::u32string padTo(std::u32string_view s, std::size_t n)
{
    std::u32string out(s.substr(0, n));
    out.resize(n, U' ');
    return out;
}

std::string_view trimRight(std::string_view s, std::string_view blanks)
{
    if (blanks.size() == 1) {
        // Padded fields trim on every read: one blank is compared directly rather
        // than searched for in a set, a call per character.
        std::size_t end = s.size();
        while (end > 0 && s[end - 1] == blanks[0])
            --end;
        return s.substr(0, end);
    }
    const std::size_t end = s.find_last_not_of(blanks);
    return s.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

std::string_view trimLeft(std::string_view s, std::string_view blanks)
{
    const std::size_t begin = s.find_first_not_of(blanks);
    return begin == std::string_view::npos ? s.substr(s.size()) : s.substr(begin);
}

std::string_view trim(std::string_view s, std::string_view blanks)
{
    return trimRight(trimLeft(s, blanks), blanks);
}

std::u32string_view trimRight(std::u32string_view s)
{
    const std::size_t end = s.find_last_not_of(U' ');
    return s.substr(0, end == std::u32string_view::npos ? 0 : end + 1);
}

std::u32string_view trim(std::u32string_view s)
{
    const std::size_t begin = s.find_first_not_of(U' ');
    return trimRight(begin == std::u32string_view::npos ? s.substr(s.size()) : s.substr(begin));
}

std::vector<std::string> split(std::string_view s, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(separator, start);
        parts.emplace_back(s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace qv::text
