#include <gtest/gtest.h>

#include "tool_fixture.h"
#include "trakhand/error_log.h"

namespace qv::trakhand {
namespace {

TEST(ComErrorText, DescriptionElseSystemTextElseMadeFromTheCode)
{
    struct Case {
        std::uint32_t code;
        const char* description;
        const char* text;
    };
    const Case cases[] = {
        {0x82FA0010, "The server did not answer.", "The server did not answer."},
        {0x80004005, "", "Unspecified error"},
        {0x80070057, "", "The parameter is incorrect."},
        {0x80040205, "", "IDispatch error #5"},
        {0x80040201, "", "IDispatch error #1"},
        {0x8004FFFF, "", "IDispatch error #65023"},
        {0x80040200, "", "Unknown error 0x80040200"},
        {0x82FA0011, "", "Unknown error 0x82FA0011"},
        {0x1, "", "Unknown error 0x1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(comErrorText(c.code, c.description), c.text) << std::hex << c.code;
}

TEST(ComErrorText, EntryShowsTheCodeInLowerCaseHex)
{
    EXPECT_EQ(
        comErrorEntry(0x82FA0010, "The server did not answer."), "COM Error (82fa0010): The server did not answer.");
    EXPECT_EQ(comErrorEntry(0x80040200, ""), "COM Error (80040200): Unknown error 0x80040200");
}

using ErrorLog = testing::ToolTest;

TEST_F(ErrorLog, EachEntryEndsWithALineBreak)
{
    appendErrorLog("COM Error (1): one");
    appendErrorLog("COM Error (2): two");
    EXPECT_EQ(read(kErrorLogFile), "COM Error (1): one\r\nCOM Error (2): two\r\n");
}

} // namespace
} // namespace qv::trakhand
