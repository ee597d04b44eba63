#include <gtest/gtest.h>

#include "trakhand/command_line.h"

namespace qv::trakhand {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitFields, CutsAtRunsOfBlanksAndTabs)
{
    struct Case {
        const char* text;
        Fields fields;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a b", {"a", "b"}},
        {"a \t  b", {"a", "b"}},
        {"a b  ", {"a", "b"}},
        {" a", {"", "a"}},
        {"\t\ta b", {"", "a", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitFields(c.text), c.fields) << '"' << c.text << '"';
}

TEST(SplitKeyValue, CutsAtEqualsAndLineEnds)
{
    EXPECT_EQ(SplitKeyValue("ARTIST=Abba\r\n"), (Fields{"ARTIST", "Abba"}));
    EXPECT_EQ(SplitKeyValue("A==b"), (Fields{"A", "b"}));
    EXPECT_EQ(SplitKeyValue("=b"), (Fields{"", "b"}));
}

TEST(FindKeyIndex, MatchesExactlyAndStopsAtTheEmptyEntry)
{
    const Fields table{"ARTIST", "ALBUM", "", "YEAR"};
    EXPECT_EQ(FindKeyIndex("ALBUM", table), 1);
    EXPECT_EQ(FindKeyIndex("album", table), -1);
    EXPECT_EQ(FindKeyIndex("YEAR", table), -1); // past the end entry
    EXPECT_EQ(FindKeyIndex("", table), 2);
}

TEST(CommandLine, DriveCommandProxyAndIdentity)
{
    struct Case {
        const char* line;
        const char* drive;
        std::optional<Command> command;
        bool proxy;
        const char* clientId;
    };
    const Case cases[] = {
        {"trakhand /D /VID D:", "D:", Command::D, false, kIdentityVID.clientId},
        {"trakhand /d", "", std::nullopt, false, kIdentityVID.clientId},
        {"trakhand /D /S", "", Command::D, false, kIdentityVID.clientId},
        {"trakhand /S /D", "", Command::S, false, kIdentityVID.clientId},
        {"trakhand /NP /R", "", Command::NP, false, kIdentityVID.clientId},
        {"trakhand /D+", "", std::nullopt, false, kIdentityVID.clientId},
        {"trakhand D: E:", "E:", std::nullopt, false, kIdentityVID.clientId},
        {"trakhand /X E:\\cd", "E:\\cd", Command::X, false, kIdentityVID.clientId},
        {"trakhand :D /U", "", Command::U, false, kIdentityVID.clientId},
        {"trakhand /P", "", std::nullopt, true, kIdentityVID.clientId},
        {"trakhand /O /P D:", "D:", Command::O, true, kIdentityVID.clientId},
        {"trakhand /L /VID /A", "", Command::A, false, kIdentityL.clientId},
        {"trakhand /VID /L /A", "", Command::A, false, kIdentityVID.clientId},
        {"C:\\bin\\trakhand.exe /D", "", Command::D, false, kIdentityVID.clientId},
        // A leading blank makes the program path an ordinary token.
        {" C:\\bin\\trakhand.exe /D", "C:\\bin\\trakhand.exe", Command::D, false, kIdentityVID.clientId},
        {" /P", "", std::nullopt, true, kIdentityVID.clientId},
        // The program path is no switch, but the identity walk starts there.
        {"/D /L", "", std::nullopt, false, kIdentityL.clientId},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(c.line);
        EXPECT_EQ(line.drive, c.drive) << c.line;
        EXPECT_EQ(line.command, c.command) << c.line;
        EXPECT_EQ(line.proxy, c.proxy) << c.line;
        EXPECT_STREQ(line.identity.clientId, c.clientId) << c.line;
    }
}

TEST(CommandLine, TakesAnyNumberOfTokens)
{
    std::string text = "trakhand";
    for (int i = 0; i < 60; ++i)
        text += " x" + std::to_string(i);
    text += " F: /R";
    const CommandLine line = parseCommandLine(text);
    EXPECT_EQ(line.tokens.size(), 63u);
    EXPECT_EQ(line.command, Command::R);
    EXPECT_EQ(line.drive, "F:");
}

} // namespace
} // namespace qv::trakhand
