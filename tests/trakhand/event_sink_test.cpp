#include <gtest/gtest.h>

#include "fake_control.h"
#include "trakhand/event_sink.h"

namespace qv::trakhand {
namespace {

struct RecordingDialog : DialogMessages {
    std::vector<std::string> messages, logged;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void LogComError(const cddb::ComError& error) override { logged.push_back(error.description()); }
};

class EventSink : public ::testing::Test
{
protected:
    testing::FakeService service;
    testing::FakeControl control{service};
    Secrets secrets;
    LogList log{secrets};
    ProgressBar progress;
    RecordingDialog dialog;
    LookupEventSink sink{control, log, progress, dialog};
};

TEST_F(EventSink, EachEventAddsOneLine)
{
    sink.CommandCompleted(38, 0, 7);
    sink.LogMessage("query sent");
    sink.ServerMessage(3, 4, "Welcome");
    sink.CommandProgress(10, 0x1F, 2, 5);
    EXPECT_EQ(log.lines(),
        (std::vector<std::string>{"CommandCompleted: 38 (HR=0) ", "LogMessage: query sent",
            "ServerMessage: 3, 4, Welcome.", "CommandProgress: Cmd=10 (Progress=1f) [2 of 5]"}));
    EXPECT_TRUE(dialog.messages.empty());
}

TEST_F(EventSink, CompletedCommandsAreAnsweredByNumberAndResult)
{
    struct Case {
        int command;
        std::uint32_t result;
        const char* message; // nullptr: none
    };
    const Case cases[] = {
        {10, 0, "LookupMediaByToc command successfully completed."},
        {18, 1, "SubmitDisc command successfully completed."},
        {38, 0, nullptr},
        {5, 0, "Unknown command completed (5)."},
        {40, 0, "Unknown command completed (28)."},
        {10, 0x82FA0010, "Command (a) completed with FAILED result: 82fa0010."},
        {38, 0x80004005, "Command (26) completed with FAILED result: 80004005."},
    };
    for (const Case& c : cases) {
        dialog.messages.clear();
        sink.CommandCompleted(c.command, c.result, 0);
        EXPECT_EQ(dialog.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.command << " " << std::hex << c.result;
    }
}

TEST_F(EventSink, RegionListIsDumpedIntoTheLog)
{
    service.regions = std::make_shared<cddb::RegionList>();
    service.regions->regions = {{"1", "Europe", "The old world"}, {"2", "Asia", ""}};
    sink.CommandCompleted(23, 0, 0);
    EXPECT_EQ(log.lines(),
        (std::vector<std::string>{"CommandCompleted: 23 (HR=0) ", "Dumping 2 regions...",
            "ID: 1, Name: Europe, Description: The old world", "ID: 2, Name: Asia, Description: "}));
    EXPECT_TRUE(dialog.messages.empty());
}

TEST_F(EventSink, FailingRegionListIsLoggedAndNothingDumped)
{
    sink.CommandCompleted(23, 0, 0);
    EXPECT_EQ(dialog.logged, std::vector<std::string>{"The server did not answer."});
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST_F(EventSink, ProgressStepsWrapPastTheEnd)
{
    progress.setRange(0, 50);
    progress.setStep(1);
    progress.setPosition(48);
    std::vector<int> positions;
    for (int i = 0; i < 4; ++i) {
        sink.CommandProgress(10, 0, i, 4);
        positions.push_back(progress.position());
    }
    EXPECT_EQ(positions, (std::vector<int>{49, 50, 0, 1}));
}

TEST_F(EventSink, ProxyCredentialsNeverReachTheLog)
{
    secrets.set({"bob", "s3cret!"});
    sink.LogMessage("connecting as bob with s3cret! through proxy");
    EXPECT_EQ(log.lines().at(0), "LogMessage: connecting as *** with *** through proxy");
}

} // namespace
} // namespace qv::trakhand
