#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv::text;

namespace {

// ---------------------------------------------------------------- decoding

TEST(Utf8Decoding, EveryByteIsPartOfExactlyOneCharacter)
{
    struct Case {
        std::string bytes;
        std::u32string chars;
        bool valid;
    };
    const std::vector<Case> cases{
        {"", U"", true},
        {"abc", U"abc", true},
        {"Björk", U"Bj\u00F6rk", true},
        {"5 €", U"5 \u20AC", true},
        {"\xF0\x9F\x8E\xB5!", U"\U0001F3B5!", true},
        // Bytes from other programs: each stray byte is the character of its value.
        {"caf\xE9", U"caf\u00E9", false},
        {"\x80x", U"\u0080x", false}, // a continuation byte with no lead
        {"a\xE2\x82", U"a\u00E2\u0082", false}, // a sequence cut off at the end
        {"\xC3(", U"\u00C3(", false}, // a lead byte without its continuation
        {"\xE2\x82(", U"\u00E2\u0082(", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(toChars(c.bytes), c.chars);
        // Counts and cuts see the same characters as the u32 view.
        EXPECT_EQ(charCount(c.bytes), c.chars.size());
        for (std::size_t k = 0; k <= c.chars.size(); ++k)
            EXPECT_EQ(toChars(c.bytes.substr(0, byteOffset(c.bytes, k))), c.chars.substr(0, k)) << k;
        if (c.valid) {
            EXPECT_EQ(fromChars(c.chars), c.bytes);
        }
    }
}

TEST(Utf8Decoding, ValidityRefusesWhatWindows1252TextCanLookLike)
{
    struct Case {
        std::string bytes;
        bool valid;
    };
    const std::vector<Case> cases{
        {"", true},
        {"Motörhead", true},
        {"\xF4\x8F\xBF\xBF", true}, // U+10FFFF, the last code point
        {"caf\xE9", false},
        {"\x80", false},
        {"\xC3", false},
        {"\xC3(", false},
        {"\xC0\xAF", false}, // overlong "/"
        {"\xE0\x80\xA9", false}, // overlong; "à€©" in Windows-1252
        {"\xED\xA0\x80", false}, // a surrogate
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(Utf8Decoding, Windows1252BecomesUtf8)
{
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases{
        {"plain", "plain"},
        {"caf\xE9", "café"},
        {"\x80 5", "€ 5"},
        {"\x93quoted\x94", "“quoted”"},
        {"\x9F", "Ÿ"},
        {"\x81", "\xC2\x81"}, // undefined in Windows-1252: kept as its C1 control
        {"\xA0", "\xC2\xA0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fromCp1252(c.in), c.out) << c.in;

    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const std::string decoded = fromCp1252(everyByte);
    EXPECT_TRUE(isValidUtf8(decoded));
    EXPECT_EQ(charCount(decoded), everyByte.size());
}

// ---------------------------------------------------------------- cuts and padding

TEST(Utf8Cuts, ByCharactersNeverInsideOne)
{
    struct Case {
        std::string text;
        std::size_t n;
        std::string first;
        std::string padded;
    };
    const std::vector<Case> cases{
        {"Björk", 3, "Bjö", "Bjö"},
        {"Björk", 7, "Björk", "Björk  "},
        {"é", 3, "é", "é  "}, // padding counts characters, not bytes
        {"ééé", 2, "éé", "éé"},
        {"abcdé", 4, "abcd", "abcd"}, // ASCII up to the cut
        {"abcé", 4, "abcé", "abcé"},
        {"\xF0\x9F\x8E\xB5x", 1, "\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},
        {"", 2, "", "  "},
        {"abc", 0, "", ""},
        // Stray bytes count one each and stay as they came.
        {"caf\xE9!", 4, "caf\xE9", "caf\xE9"},
        {"caf\xE9", 6, "caf\xE9", "caf\xE9  "},
        {"\xE2\x82"
         "ab",
            1, "\xE2", "\xE2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + std::to_string(c.n));
        EXPECT_EQ(firstChars(c.text, c.n), c.first);
        EXPECT_EQ(byteOffset(c.text, c.n), c.first.size());
        EXPECT_EQ(padTo(c.text, c.n), c.padded);
        EXPECT_EQ(charCount(padTo(c.text, c.n)), c.n);
    }
    EXPECT_EQ(padTo(U"ab", 4), U"ab  ");
    EXPECT_EQ(padTo(U"\u00E9t\u00E9", 2), U"\u00E9t");
}

// ---------------------------------------------------------------- blanks and parts

TEST(Trims, BlanksByDefaultOtherSetsOnRequest)
{
    struct Case {
        std::string text;
        std::string_view blanks;
        std::string right, left, both;
    };
    const std::vector<Case> cases{
        {"  a b  ", kBlank, "  a b", "a b  ", "a b"},
        {"\ta\t ", kBlank, "\ta\t", "\ta\t ", "\ta\t"}, // a tab is no padding
        {"\ta\t ", kBlankOrTab, "\ta", "a\t ", "a"},
        {"a\r\n", kWhiteSpace, "a", "a\r\n", "a"},
        {"é  ", kBlank, "é", "é  ", "é"},
        {"   ", kBlank, "", "", ""},
        {"", kBlank, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(trimRight(c.text, c.blanks), c.right);
        EXPECT_EQ(trimLeft(c.text, c.blanks), c.left);
        EXPECT_EQ(trim(c.text, c.blanks), c.both);
    }
    EXPECT_EQ(trimRight(std::u32string_view(U" ab  ")), U" ab");
    EXPECT_EQ(trim(std::u32string_view(U" ab  ")), U"ab");
    EXPECT_EQ(trim(std::u32string_view(U"   ")), U"");
}

TEST(Trims, AnAllBlankTextTrimsToItsEnd)
{
    const std::string_view line = "Key=   ";
    const std::string_view value = trim(line.substr(4));
    EXPECT_TRUE(value.empty());
    EXPECT_EQ(value.data(), line.data() + line.size());
}

TEST(Split, EveryPartBetweenSeparators)
{
    struct Case {
        std::string text;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases{
        {"a|b|c", {"a", "b", "c"}},
        {"abc", {"abc"}},
        {"", {""}},
        {"|", {"", ""}},
        {"a||", {"a", "", ""}},
        {"é|ü", {"é", "ü"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(split(c.text, '|'), c.parts) << c.text;
}

} // namespace
