// The MCI command channel over a scripted device: the answers callers see,
// and the event log that failed commands leave when UseLog is on.

#include "qvls/acquisition/acquisition_fixture.h"

#include "platform/cdaudio/mci.h"
#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"

namespace qv::qvls::testing {
namespace {

class MciChannelTest : public AcquisitionTest
{
protected:
    void SetUp() override
    {
        AcquisitionTest::SetUp();
        setMciStringInterface([this](std::string_view command, std::string& answer) {
            sent.emplace_back(command);
            answer = reply;
            return error;
        });
    }
    std::vector<std::string> logLines() const { return lines("QVLEvent.LOG"); }

    std::vector<std::string> sent;
    std::string reply;
    int error = 0;
};

TEST_F(MciChannelTest, AnswersComeBackInTheFormsCallersTest)
{
    struct Case {
        int error;
        const char* reply;
        std::string expected;
    };
    const Case cases[] = {
        {0, "true", "1"},
        {0, "false", ""},
        {0, "TRUE", "TRUE"}, // only the exact words are turned
        {0, "False", "False"},
        {0, "01:02:03", "01:02:03"},
        {0, "", ""},
        {cdaudio::mcierr::kDeviceOpen, "", "Error:1"},
        {263, "", "Error:263 " + cdaudio::mciErrorText(263)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply + std::string(" / ") + std::to_string(c.error));
        error = c.error;
        reply = c.reply;
        const std::string answer = SendMCICommand("status xxx ready");
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(isMciError(answer), c.error != 0);
    }
}

TEST_F(MciChannelTest, TheCommandGoesWithoutTrailingBlanksAndTheModeQuestionReplacesIt)
{
    SendMCICommand("set xxx time format tmsf   ");
    SendMCICommand("close xxx", true);
    EXPECT_EQ(sent, (std::vector<std::string>{"set xxx time format tmsf", "status xxx mode"}));
}

TEST_F(MciChannelTest, AFailedCommandLeavesThreeLinesInTheLogAndABusyAliasNone)
{
    settings().UseLog = 1;
    error = cdaudio::mcierr::kDeviceOpen;
    SendMCICommand("open d: type cdaudio shareable alias xxx");
    EXPECT_FALSE(std::filesystem::exists(collection("QVLEvent.LOG"))) << "the alias in use is no failure to log";

    error = 263;
    reply = "left by the device";
    SendMCICommand("status xxx length track 1");
    const std::vector<std::string> log = logLines();
    ASSERT_EQ(log.size(), 3u);
    const auto label = [](const std::string& line) { return std::string(text::trimRight(line.substr(22, 30))); };
    const auto data = [](const std::string& line) { return line.size() > 52 ? line.substr(52) : std::string(); };
    EXPECT_EQ(label(log[0]), "MCI Request");
    EXPECT_EQ(data(log[0]), "status xxx length track 1");
    EXPECT_EQ(label(log[1]), "MCI Return");
    EXPECT_EQ(data(log[1]), "left by the device");
    EXPECT_EQ(label(log[2]), "MCI Error");
    EXPECT_EQ(data(log[2]), std::string(text::firstChars("263 " + cdaudio::mciErrorText(263), 50)));

    settings().UseLog = 0;
    SendMCICommand("status xxx length track 2");
    EXPECT_EQ(logLines().size(), 3u) << "UseLog off logs nothing";
}

TEST_F(MciChannelTest, ALogLineHasItsFourColumnsCutToTheirWidths)
{
    settings().UseLog = 1;
    const expr::FixedClock clock(expr::dateFromYmd(2026, 12, 11), expr::timeFromHms(14, 5, 9));
    const expr::ScopedClock scoped(clock);
    LogMciEvent(std::string(35, 'L') + "!", std::string(50, 'd') + "overflow");
    const std::vector<std::string> log = logLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].substr(0, 12), text::padTo("DEC 11,2026", 12));
    EXPECT_EQ(log[0].substr(12, 10), text::padTo(expr::format(expr::Value(clock.clock()), "@t7"), 10));
    EXPECT_EQ(log[0].substr(22), std::string(30, 'L') + std::string(50, 'd')) << "cut, never wrapped";
}

TEST_F(MciChannelTest, TheLogClosesAfterItsHundredAndFirstLineAndOpensAgainForTheNext)
{
    settings().UseLog = 1;
    for (int n = 1; n <= 100; ++n)
        LogMciEvent("line", std::to_string(n));
    EXPECT_TRUE(dictionary::EventLog().isOpen());
    EXPECT_EQ(mciLogLinesOpen(), 100);
    LogMciEvent("line", "101");
    EXPECT_FALSE(dictionary::EventLog().isOpen()) << "closed after the 101st line";
    EXPECT_EQ(mciLogLinesOpen(), 0);
    LogMciEvent("line", "102");
    EXPECT_TRUE(dictionary::EventLog().isOpen());
    EXPECT_EQ(mciLogLinesOpen(), 1);
    const std::vector<std::string> log = logLines();
    ASSERT_EQ(log.size(), 102u) << "the reopened log appends";
    EXPECT_EQ(log.back().substr(52), "102");
}

} // namespace
} // namespace qv::qvls::testing
