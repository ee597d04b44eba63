#include "core_fixture.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/framework/error_reporter.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/paths.h"
#include "platform/text/text.h"
#include "qvls/core/display.h"
#include "qvls/core/files.h"
#include "qvls/core/names.h"
#include "qvls/core/text_helpers.h"
#include "qvls/core/time_text.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::testing {
namespace {

// A fixed-length buffer as the program passes one: padded to n characters.
std::string buffer(const std::string& text, std::size_t n)
{
    return text::padTo(text, n);
}

std::string clipped(const std::string& s)
{
    return std::string(text::trimRight(s));
}

// ---------------------------------------------------------------- capitalisation

TEST(HelpersCapitalize, MixedCaseRules)
{
    settings() = Settings{};
    struct Case {
        const char* in;
        const char* out;
    };
    const std::vector<Case> cases{
        // words, and the separators that begin one
        {"fish and chips with salt", "Fish and Chips with Salt"},
        {"don't stop", "Don't Stop"},
        {"  the band", "The Band"},
        {"ROCK AND ROLL", "Rock and Roll"},
        {"band with", "Band with"}, // the padding blank closes the word
        {"and then", "And Then"}, // a first word is never lowered
        {"a~b!c@d#e$f%g^h&i*j(k)l_m+n=o-p`q[r]s{t\\u|v;w:x\"y<z>a,b.c/d?e",
            "A~B!C@D#E$F%G^H&I*J(K)L_M+N=O-P`Q[R]S{T\\U|V;W:X\"Y<Z>A,B.C/D?E"},
        {"a}b'c", "A}b'c"}, // closing brace and apostrophe are no separators
        // the beginning of the text
        {"mcbrid", "McBrid"},
        {"macwell", "MacWell"},
        {"machine", "MacHine"},
        {"macs", "Macs"},
        {"mac ray", "Mac Ray"},
        {"mc ray", "MC Ray"},
        {"ll kay", "LL Kay"},
        {"lfo beats", "LFO Beats"},
        {"bkr trio", "BKR Trio"},
        {"dj vex", "DJ Vex"},
        {"mr vex", "Mr Vex"},
        {"dr vex", "Dr Vex"},
        {"ac dc", "AC/DC"},
        {"AC/DC", "AC/DC"},
        {"ac dc live", "Ac Dc Live"},
        {"'til tuesday", "'Til Tuesday"},
        {"o'varo", "O'Varo"},
        {"n'dour", "N'Dour"},
        {"x", "X"},
        {"     ", "     "},
        {"émile ça", "Émile Ça"},
    };
    for (const Case& c : cases) {
        std::string text = buffer(c.in, 80);
        DefaultCapitalize(text);
        EXPECT_EQ(clipped(text), clipped(c.out)) << c.in;
        EXPECT_EQ(text::charCount(text), 80u) << c.in;
    }
}

TEST(HelpersCapitalize, AllUpperCaseStyleOnlyUppers)
{
    settings().Autocapstyle = "All uppercase";
    std::string text = buffer("ac dc live", 20);
    DefaultCapitalize(text);
    EXPECT_EQ(text, buffer("AC DC LIVE", 20));
    std::string leading = "  mc ray";
    DefaultCapitalize(leading);
    EXPECT_EQ(leading, "  MC RAY");
    settings() = Settings{};
}

TEST(HelpersCapitalize, UnpaddedTextKeepsItsLength)
{
    settings() = Settings{};
    std::string text = "  the band";
    DefaultCapitalize(text);
    EXPECT_EQ(text, "The Band  ");
    std::string empty;
    DefaultCapitalize(empty);
    EXPECT_EQ(empty, "");
}

// ---------------------------------------------------------------- artist names

TEST(HelpersNames, ArtistDisplayName)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const std::vector<Case> cases{
        {"Smith, John", "John Smith"},
        {"Band, The", "The Band"},
        {"Smith, John with the Band", "John Smith with the Band"},
        {"Smith, John and the Band", "John Smith and the Band"},
        {"Smith,   John   WITH   Friends  ", "John Smith WITH   Friends"},
        {"Smith and Jones, Ann", "Ann Smith and Jones"}, // the "and" lies before the comma
        {"Doe , Jane", "Jane Doe"},
        {"Prince   ", "Prince   "}, // no comma: unchanged, blanks kept
        {"Cher", "Cher"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArtistDisplayName(c.in), c.out) << c.in;
}

TEST(HelpersNames, SwapNameOrder)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const std::vector<Case> cases{
        {"Smith, John", "John Smith"},
        {"John Smith", "Smith, John"},
        {"Band, The", "The Band"},
        {"Mary Ann Jones", "Ann Jones, Mary"},
        {"Cher", "Cher"},
        {"Smith,John", "John Smith"},
    };
    for (const Case& c : cases) {
        std::string name = buffer(c.in, 50);
        SwapNameOrder(name);
        EXPECT_EQ(name, buffer(c.out, 50)) << c.in;
    }
    std::string twice = buffer("John Smith", 50);
    SwapNameOrder(twice);
    SwapNameOrder(twice);
    EXPECT_EQ(clipped(twice), "John Smith");
}

TEST(HelpersNames, SwapNameOrderRedisplaysTheWindow)
{
    rt::Window w(rt::parseWindowDef("title: Song\ncontrols:\n  - {type: entry, name: Artist}\n", "test", "UpdateSong"));
    std::string artist = buffer("Smith, John", 50);
    w["?Artist"].bind({[&] { return artist; }, [&](const std::string& v) { artist = v; }});
    SwapNameOrder(artist, &w);
    EXPECT_EQ(clipped(w["?Artist"].value()), "John Smith");
}

class MatchArtist : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        dictionary::InitDictionary();
        tables::Table& t = dictionary::Artists();
        ASSERT_EQ(t.create(), 0);
        ASSERT_EQ(t.open(), 0);
        for (const char* a : {"Smith, John", "The Band", "Jones, Mary Ann"}) {
            t.record().clear();
            t.record()["ART:Artist"] = a;
            ASSERT_EQ(t.insert(), 0) << a;
        }
        t.close();
    }
    void TearDown() override
    {
        while (dictionary::Artists().isOpen())
            dictionary::Artists().close();
        dictionary::KillDictionary();
        CollectionFolder::TearDown();
    }
};

TEST_F(MatchArtist, NameBecomesTheStoredSpellingOfItsSwappedForm)
{
    struct Case {
        const char* style;
        const char* in;
        const char* out;
        const char* buffer; // what the artists buffer holds afterwards
    };
    const std::vector<Case> cases{
        {"Mixed-case", "john smith", "Smith, John", "Smith, John"},
        {"All uppercase", "john smith", "SMITH, JOHN", "Smith, John"},
        {"Mixed-case", "Smith, John", "Smith, John", "Smith, John"}, // found as it is
        {"Mixed-case", "smith, john", "smith, john", "Smith, John"}, // found without regard to case
        {"Mixed-case", "Band, The", "The Band", "The Band"},
        {"Mixed-case", "Ann Jones, Mary", "Ann Jones, Mary", "Mary Ann Jones"}, // neither form is listed
        {"Mixed-case", "Nobody Here", "Nobody Here", "Here, Nobody"},
    };
    for (const Case& c : cases) {
        settings().Autocapstyle = c.style;
        std::string name = buffer(c.in, 50);
        MatchArtistName(name);
        EXPECT_EQ(clipped(name), c.out) << c.in;
        EXPECT_EQ(text::charCount(name), 50u);
        EXPECT_EQ(clipped(dictionary::Artists().record()["ART:Artist"].toString()), c.buffer) << c.in;
        EXPECT_FALSE(dictionary::Artists().isOpen());
    }
}

// ---------------------------------------------------------------- replacement

TEST(HelpersReplace, RightToLeftWithOverlaps)
{
    struct Case {
        const char* text;
        std::size_t width;
        const char* search;
        const char* replacement;
        bool ignoreCase;
        const char* out;
    };
    const std::vector<Case> cases{
        {"a", 5, "a", "aa", false, "aa"}, // one pass: no endless growth
        {"aaa", 3, "aa", "b", false, "ab"}, // the rightmost match wins the overlap
        {"aaaa", 4, "aa", "b", false, "bb"},
        {"abab", 4, "bab", "X", false, "aX"},
        {"banana", 6, "ana", "<ana>", false, "ban<an"}, // cut to the buffer; the left "ana" overlapped
        {"Hello hello", 11, "hello", "bye", false, "Hello bye"},
        {"Hello hello", 11, "hello", "bye", true, "bye bye"},
        {"xyz", 3, "xyzw", "Q", false, "xyz"}, // a search longer than what is left never matches
        {"ab", 2, "b", "", false, "a"},
        {"nothing", 7, "", "x", false, "nothing"},
    };
    for (const Case& c : cases) {
        std::string text = buffer(c.text, c.width);
        ReplaceText(text, c.search, c.replacement, c.ignoreCase);
        EXPECT_EQ(clipped(text), c.out) << c.text << " / " << c.search;
        EXPECT_EQ(text::charCount(text), c.width) << c.text;
    }
    std::string s = buffer("x.y.z", 5);
    ReplaceSubstring(s, ".", "");
    EXPECT_EQ(s, "xyz  ");
}

TEST(HelpersReplace, AllNoCaseResumesAfterTheInsertedText)
{
    struct Case {
        const char* text;
        std::size_t width;
        const char* find;
        const char* replacement;
        const char* out;
    };
    const std::vector<Case> cases{
        {"&Artist:", 40, "&", "", "Artist:"},
        {"@PROMPT must be entered.", 60, "@prompt", "\"Artist\"", "\"Artist\" must be entered."},
        {"a-A-a", 20, "a", "Aa", "Aa-Aa-Aa"}, // the replacement holds the text: it ends
        {"xx", 20, "X", "xX", "xXxX"}, {"aaaa", 6, "a", "bbb", "bbbbbb"}, // cut at the buffer's length
    };
    for (const Case& c : cases) {
        std::string text = buffer(c.text, c.width);
        ReplaceAllNoCase(text, c.find, c.replacement);
        EXPECT_EQ(clipped(text), c.out) << c.text;
        EXPECT_EQ(text::charCount(text), c.width);
    }
}

// ---------------------------------------------------------------- song texts

class SongTexts : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        dictionary::Quorvel().record().clear();
    }
    void TearDown() override
    {
        dictionary::Quorvel().record().clear();
        CollectionFolder::TearDown();
    }
    static std::int32_t time(int minutes, int seconds) { return (minutes * 60 + seconds) * 100 + 1; }
};

TEST_F(SongTexts, SongTimeTextShowsEveryMinute)
{
    SongTimeText(time(3, 45));
    EXPECT_EQ(glo().songTimeText, " 3:45");
    SongTimeText(time(100, 0));
    EXPECT_EQ(glo().songTimeText, "100:00");
    SongTimeText(time(125, 7));
    EXPECT_EQ(glo().songTimeText, "125:07");
    SongTimeText(0);
    EXPECT_EQ(glo().songTimeText, "     ");
    dictionary::Quorvel().record()["SNG:Time"] = time(4, 7);
    SongTimeText();
    EXPECT_EQ(glo().songTimeText, " 4:07");
    EXPECT_EQ(glo().songTimeText, TimeToMinutesText(time(4, 7)));
}

TEST_F(SongTexts, ShortTimeText)
{
    struct Case {
        std::int32_t time;
        const char* out;
    };
    const std::vector<Case> cases{
        {0, ""}, {time(3, 25), "3:25"}, {time(0, 5), "0:05"}, {time(0, 0), "0:00"}, {time(12, 0), "12:00"},
        {time(62, 3), "1:02:03"}, {time(600, 0), "10:00:00"}, {time(3, 25) + 99, "3:25"}, // hundredths are dropped
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortTimeText(c.time), c.out) << c.time;
}

TEST_F(SongTexts, DisplayTitleAndTheSkipsMark)
{
    tables::Record& s = dictionary::Quorvel().record();
    struct Case {
        const char* title;
        int skips;
        const char* mix;
        const char* out;
        int skipsAfter;
    };
    const std::vector<Case> cases{
        {"Intro", 0, "", "Intro", 0}, {"Intro", 1, "", "Intro (Skips)", 1},
        {"Intro", 0, "Radio Edit", "Intro (Radio Edit)", 0}, {"Intro", 2, "Club", "Intro (Skips) (Club)", 2},
        {"Intro (Skips)", 0, "", "Intro (Skips)", 1}, // marks, but adds nothing this time
        {"Intro (skips)", 0, "", "Intro (skips)", 0}, // case matters
    };
    for (const Case& c : cases) {
        s.clear();
        s["SNG:Title"] = c.title;
        s["SNG:Skips"] = c.skips;
        s["SNG:Mix"] = c.mix;
        EXPECT_EQ(SongDisplayTitle(), c.out) << c.title;
        EXPECT_EQ(s["SNG:Skips"].toInt(), c.skipsAfter) << c.title;
    }
    s.clear();
    s["SNG:Title"] = "Intro (Skips)";
    SongDisplayTitle();
    EXPECT_EQ(SongDisplayTitle(), "Intro (Skips) (Skips)");
}

// ---------------------------------------------------------------- file numbers

class FileNumbers : public CollectionFolder
{
protected:
    void TearDown() override
    {
        dictionary::Album().record().clear();
        CollectionFolder::TearDown();
    }
};

TEST_F(FileNumbers, NextAlbumFileNumber)
{
    struct Case {
        const char* last;
        const char* next;
        const char* format;
    };
    const std::vector<Case> cases{
        {"CD0042", "CD0043", "Alpha 2 Numeric 4"},
        {"CD0099", "CD0100", "Alpha 2 Numeric 4"},
        {"1234", "1235", "Alpha 0 Numeric 4"},
        {"CD12A", "CD12A1", "Alpha 5 Numeric 1"},
        {"CD999", "CD1000", "Alpha 2 Numeric 4"}, // grows: CD000 is in use already
        {"9", "10", "Alpha 0 Numeric 2"},
        {"LP-0000", "LP-0001", "Alpha 3 Numeric 4"},
        {"A99999999999999999", "A100000000000000000", "Alpha 1 Numeric 18"}, // beyond 64 bits' reach
        {"CD0042   ", "CD0043", "Alpha 2 Numeric 4"},
    };
    rt::IniFile ini = settingsIni();
    for (const Case& c : cases) {
        ASSERT_TRUE(ini.set("Album", "FileNumber", c.last));
        dictionary::Album().record()["ALB:FileNumber"] = "unchanged";
        NextAlbumFileNumber();
        EXPECT_EQ(clipped(dictionary::Album().record()["ALB:FileNumber"].toString()), c.next) << c.last;
        EXPECT_EQ(ini.get("Album", "FileNumberFormat"), c.format) << c.last;
    }
}

TEST_F(FileNumbers, NothingWithoutALastNumber)
{
    dictionary::Album().record()["ALB:FileNumber"] = "CD0001";
    NextAlbumFileNumber();
    EXPECT_EQ(clipped(dictionary::Album().record()["ALB:FileNumber"].toString()), "CD0001");
    EXPECT_FALSE(settingsIni().find("Album", "FileNumberFormat"));
}

// ---------------------------------------------------------------- program and windows

TEST(HelpersProgram, ProgramDirectoryIsTheFolderOfTheRunningProgram)
{
    const std::string path = ModuleFileName();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::exists(path));
    const std::string folder = ProgramDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.find('/', folder.size()), std::string::npos);
    EXPECT_TRUE(std::filesystem::equivalent(folder, rt::programFolder()));
}

TEST(HelpersProgram, ListTopWindowsListsTheProgramsTitledWindowsPerThread)
{
    std::vector<std::string> seen;
    int rowsOnOtherThread = -1;
    rt::HeadlessHost host;
    const auto show = [](const char* name, const char* title) {
        return std::make_unique<rt::Window>(
            rt::parseWindowDef(std::string("title: \"") + title + "\"\n", "test", name));
    };
    host.start("Albums", [&] {
        auto w = show("BrowseAlbums", "Albums");
        w->open();
        w->waitEvent();
        w->waitEvent();
        w->waitEvent();
    });
    host.start("Untitled", [&] {
        auto w = show("Blank", "");
        w->open();
        w->waitEvent();
        w->waitEvent();
        w->waitEvent();
    });
    host.start("Player", [&] {
        auto w = show("IntegratedCDPlayer", "CD Player");
        w->open();
        ListTopWindows();
        for (const WindowListRow& r : WindowList())
            seen.push_back(r.line + "|" + r.windowClass + (r.handle ? "" : "|no handle"));
        w->waitEvent();
    });
    host.start("Other", [&] { rowsOnOtherThread = static_cast<int>(WindowList().size()); });
    host.settle();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"Albums|BrowseAlbums", "CD Player|IntegratedCDPlayer"}));
    EXPECT_EQ(rowsOnOtherThread, 0);
}

} // namespace
} // namespace qv::qvls::testing
