#include "platform/text/case.h"

#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv::text;

namespace {

// ---------------------------------------------------------------- ASCII names

TEST(AsciiNames, FoldOnlyTheAsciiLetters)
{
    struct Case {
        std::string a, b;
        bool equal;
    };
    const std::vector<Case> cases{
        {"QVLConf.tps", "QVLCONF.TPS", true},
        {"BrowseAlbums", "browsealbums", true},
        {"", "", true},
        {"abc", "abcd", false},
        {"É", "é", false}, // names fold ASCII only
        {"[", "{", false}, // one bit apart, but no letters
        {"@", "`", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(equalsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;

    EXPECT_EQ(asciiLower("ÉCLAT Straße"), "Éclat straße");
    EXPECT_EQ(asciiUpper("éclat straße"), "éCLAT STRAßE");
    EXPECT_TRUE(startsWithNoCase("WWW.example.org", "www."));
    EXPECT_FALSE(startsWithNoCase("ww", "www."));
    EXPECT_TRUE(endsWithNoCase("SETUP.EXE", ".exe"));
    EXPECT_FALSE(endsWithNoCase("exe", ".exe"));
}

// ---------------------------------------------------------------- Unicode texts

TEST(UnicodeCase, EveryScriptOneCharacterForOne)
{
    struct Case {
        std::string text, upper, lower;
    };
    const std::vector<Case> cases{
        {"Björk", "BJÖRK", "björk"}, {"ÉCLAT", "ÉCLAT", "éclat"}, {"Ærø ÿ", "ÆRØ Ÿ", "ærø ÿ"}, {"Łódź", "ŁÓDŹ", "łódź"},
        {"σοφία", "ΣΟΦΊΑ", "σοφία"}, {"Жанна", "ЖАННА", "жанна"},
        {"straße", "STRAßE", "straße"}, // no one-character capital: kept
        {"İstanbul", "İSTANBUL", "istanbul"}, // fewer bytes, same characters
        {"1 × 2 ÷ 3", "1 × 2 ÷ 3", "1 × 2 ÷ 3"}, {"caf\xE9", "CAF\xE9", "caf\xE9"}, // a stray byte stays as it came
        {"\xC0\xAF", "\xC0\xAF", "\xC0\xAF"}, // so does an overlong form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(upper(c.text), c.upper);
        EXPECT_EQ(lower(c.text), c.lower);
        EXPECT_EQ(charCount(upper(c.text)), charCount(c.text));
        if (isValidUtf8(c.text)) {
            EXPECT_EQ(upperChars(toChars(c.text)), toChars(c.upper));
            EXPECT_EQ(lowerChars(toChars(c.text)), toChars(c.lower));
        }
    }
    EXPECT_EQ(upperChar(U'\u00FF'), U'\u0178');
    EXPECT_EQ(lowerChar(U'\u0178'), U'\u00FF');
}

// ---------------------------------------------------------------- keys

TEST(KeyFolding, CaseAndTrailingBlanksOnly)
{
    EXPECT_EQ(foldKey("Beatles  "), foldKey("bEATLES"));
    EXPECT_EQ(foldKey("ÉMILE"), foldKey("émile"));
    EXPECT_EQ(foldKey("ΣΟΦΊΑ"), foldKey("σοφία"));
    EXPECT_NE(foldKey(" Beatles"), foldKey("Beatles"));
}

// Table files index these very bytes: a change here is a change of file format.
TEST(KeyFolding, StoredFormIsFixed)
{
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases{
        {"Beatles  ", "beatles"},
        {" Beatles", " beatles"},
        {"ÉMILE", "émile"},
        {"ΣΟΦΊΑ", "σοφία"},
        {"STRAßE", "straße"},
        {"İ", "i"},
        {"A\tB\t", "a\tb\t"}, // only blanks pad a field
        {"Caf\xC9", "café"}, // a stray byte folds as the letter it names
        {"\x80", "\xC2\x80"},
        {"   ", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldKey(c.in), c.out) << c.in;
}

} // namespace
