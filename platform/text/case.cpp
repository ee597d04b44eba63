#include "platform/text/case.h"

#include "platform/text/text.h"

#include <algorithm>
#include <locale.h>
#include <wctype.h>

namespace qv::text {

namespace {

// The C library's Unicode tables, under a locale of our own: the user's
// locale may not be UTF-8, and a process-wide setlocale is not ours to make.
locale_t utf8Locale()
{
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return loc;
}

template <bool Upper> char32_t mapChar(char32_t c)
{
    if (c < 0x80)
        return static_cast<unsigned char>(Upper ? asciiUpper(static_cast<char>(c)) : asciiLower(static_cast<char>(c)));
    const locale_t loc = utf8Locale();
    if (!loc)
        return c;
    const auto w = static_cast<wint_t>(c);
    return static_cast<char32_t>(Upper ? towupper_l(w, loc) : towlower_l(w, loc));
}

// A copy of s with each unit passed through map.
template <typename Char, typename Map> std::basic_string<Char> mapEach(std::basic_string_view<Char> s, Map map)
{
    std::basic_string<Char> out(s);
    std::transform(out.begin(), out.end(), out.begin(), map);
    return out;
}

std::size_t encodedLength(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Mapped in a copy of s: most texts are ASCII, and most letters keep their
// encoded length when their case changes.
template <bool Upper> std::string mapText(std::string_view s)
{
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        if (static_cast<unsigned char>(out[i]) < 0x80) {
            out[i] = Upper ? asciiUpper(out[i]) : asciiLower(out[i]);
            ++i;
            continue;
        }
        const std::size_t from = i;
        const char32_t c = decodeChar(out, i);
        // Only what decodes from its own encoding is a letter to map; a stray
        // byte or an overlong form stays as it came.
        if (encodedLength(c) != i - from)
            continue;
        std::string mapped;
        appendChar(mapped, mapChar<Upper>(c));
        out.replace(from, i - from, mapped);
        i = from + mapped.size();
    }
    return out;
}

} // namespace

std::string asciiLower(std::string_view s)
{
    return mapEach(s, [](char c) { return asciiLower(c); });
}

std::string asciiUpper(std::string_view s)
{
    return mapEach(s, [](char c) { return asciiUpper(c); });
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

bool endsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

char32_t upperChar(char32_t c)
{
    return mapChar<true>(c);
}

char32_t lowerChar(char32_t c)
{
    return mapChar<false>(c);
}

std::u32string upperChars(std::u32string_view s)
{
    return mapEach(s, mapChar<true>);
}

std::u32string lowerChars(std::u32string_view s)
{
    return mapEach(s, mapChar<false>);
}

std::string upper(std::string_view s)
{
    return mapText<true>(s);
}

std::string lower(std::string_view s)
{
    return mapText<false>(s);
}

std::string foldKey(std::string_view s)
{
    s = trimRight(s);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        appendChar(out, lowerChar(decodeChar(s, i)));
    return out;
}

} // namespace qv::text
