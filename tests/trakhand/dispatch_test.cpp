#include <gtest/gtest.h>

#include "platform/runtime/paths.h"
#include "platform/runtime/scheduler.h"
#include "tool_fixture.h"
#include "trakhand/command_line.h"
#include "trakhand/error_log.h"

namespace qv::trakhand::testing {
namespace {

using Dispatch = ToolTest;

TEST_F(Dispatch, ExitCodesOfTheCommands)
{
    struct Case {
        const char* line;
        int exitCode;
        const char* call; // what the command asked of the control
    };
    const Case cases[] = {
        {"trakhand /R", 0, "QueryServiceUser 1"},
        {"trakhand /M", 0, "SwitchMOperation 4096"},
        {"trakhand /A", 0, "ShowAboutBox"},
        {"trakhand /O", 0, "ShowOptionsDialog"},
        {"trakhand /NP", 0, "ShowOptionsDialog"},
        {"trakhand /X", 0, "ShowDiscDialog 0"},
        {"trakhand /B", 0, "SwitchBOperation"},
        {"trakhand /U", 0, "ShowDiscDialog 2"},
        {"trakhand /S", 0, "ShowDiscDialog 2"},
        {"trakhand /D", 0, "ObtainGenreList"},
    };
    for (const Case& c : cases) {
        fake = FakeService{};
        fake.result = makeDisc({"One"});
        fake.newDisc = makeDisc({"One"});
        exitCode = -1;
        EXPECT_EQ(run(c.line), std::vector<std::string>{}) << c.line;
        EXPECT_EQ(exitCode, c.exitCode) << c.line;
        EXPECT_TRUE(called(c.call)) << c.line;
        EXPECT_TRUE(fake.released) << c.line;
    }
}

TEST_F(Dispatch, NoSwitchShowsTheUsage)
{
    EXPECT_EQ(run("trakhand /d D:"), std::vector<std::string>{usageMessage()});
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(called("QueryServiceUser 0")); // the user check still runs
    EXPECT_EQ(usageMessage(),
        "Unknown command. Use Trakhand /switch where /switch is one of:\n/A - About CDDB\n/D - Get disc info\n"
        "/X - Show extended disc info\n/S - Submit a new disc\n/U - Update an existing disc\n/O - Set options\n"
        "/R - Set user registration information\n");
}

TEST_F(Dispatch, ProxySwitchAloneEndsWithOneAndNoMessage)
{
    start("trakhand /P");
    rt::Window* proxy = host.window("ProxySettings");
    ASSERT_NE(proxy, nullptr);
    host.press(*proxy, "?Cancel");
    EXPECT_EQ(finish(), std::vector<std::string>{});
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(called("QueryServiceUser 0"));
}

TEST_F(Dispatch, ServiceUserCheckSignsUpOrRefuses)
{
    fake.user = nullptr;
    fake.userAfterSignUp = std::make_shared<cddb::ServiceUser>();
    EXPECT_EQ(run("trakhand /A"), std::vector<std::string>{});
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(called("QueryServiceUser 1"));

    fake = FakeService{};
    fake.user = nullptr;
    EXPECT_EQ(run("trakhand /A"), std::vector<std::string>{"You must register to use CDDB!"});
    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(called("ShowAboutBox"));
}

TEST_F(Dispatch, RegistrationAndProxyClearingAskForNoUserFirst)
{
    for (const char* line : {"trakhand /R", "trakhand /NP"}) {
        fake = FakeService{};
        fake.user = nullptr;
        EXPECT_EQ(run(line), std::vector<std::string>{}) << line;
        EXPECT_FALSE(called("QueryServiceUser 0")) << line;
        EXPECT_EQ(exitCode, 0) << line;
    }
}

TEST_F(Dispatch, UnreachableControlEndsWithOne)
{
    controlReachable = false;
    EXPECT_EQ(run("trakhand /D D:"), std::vector<std::string>{"Couldn't get IUnknown interface for CDDBControl."});
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(audio.opened.empty());
}

TEST_F(Dispatch, ControlThatFailsToStartEndsWithOne)
{
    services.makeControl = [](CancelCheck) -> std::unique_ptr<cddb::Control> {
        throw cddb::ComError(cddb::hr::kFail, "no network stack");
    };
    EXPECT_EQ(run("trakhand /A"), std::vector<std::string>{"Couldn't get IUnknown interface for CDDBControl."});
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(read(kErrorLogFile), "COM Error (80004005): no network stack\r\n");
}

TEST_F(Dispatch, FailureNoFlowHandlesIsLoggedAndEndsWithOne)
{
    fake.tocError = cddb::ComError(cddb::hr::kNoDisc, "There is no audio CD in the drive.");
    for (const char* line : {"trakhand /X D:", "trakhand /S D:"}) {
        audio = FakeAudio{};
        EXPECT_EQ(run(line), std::vector<std::string>{"COM Error (82fa0013): There is no audio CD in the drive."})
            << line;
        EXPECT_EQ(exitCode, 1) << line;
        EXPECT_EQ(audio.openNow, 0) << line; // closed on the way out
        EXPECT_TRUE(fake.released) << line;
    }
    EXPECT_EQ(read(kErrorLogFile),
        "COM Error (82fa0013): There is no audio CD in the drive.\r\n"
        "COM Error (82fa0013): There is no audio CD in the drive.\r\n");
}

TEST_F(Dispatch, ControlIsSetUpOnce)
{
    fake.options->dataFolder = "/somewhere/else/";
    fake.options->proxyHost = "old.proxy";
    run("trakhand /VID /L /A");
    EXPECT_TRUE(called("IdentifyClient 58301947 93E05B7D21C846AF0E5D38B1C7A260F4 1 regstring"));
    ASSERT_EQ(fake.applied.size(), 1u);
    const cddb::Options& o = fake.applied[0];
    EXPECT_EQ(o.dataFolder, rt::programFolder());
    EXPECT_EQ(o.valueA, 1);
    EXPECT_EQ(o.valueB, 258048);
    EXPECT_EQ(o.valueC, 0);
    EXPECT_EQ(o.proxyHost, "old.proxy"); // no proxy given: left as it was
    EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(), "connect"), 1);
    EXPECT_EQ(fake.calls.back(), "ReleaseService");
}

TEST_F(Dispatch, DataFolderDifferingOnlyInCaseIsKept)
{
    std::string folder = rt::programFolder();
    for (char& c : folder)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    fake.options->dataFolder = folder;
    run("trakhand /L /A");
    EXPECT_TRUE(called("IdentifyClient 827316 7A1C94E02BD35F6681C0A7E93D4B2F15 1 regstring"));
    EXPECT_EQ(fake.applied.at(0).dataFolder, folder);
}

TEST_F(Dispatch, OptionsAreAppliedOnlyWhenChanged)
{
    run("trakhand /O");
    EXPECT_EQ(fake.applied.size(), 1u); // the set-up's
    fake = FakeService{};
    fake.optionsDialogFlags = cddb::kFlagChanged;
    run("trakhand /O");
    EXPECT_EQ(fake.applied.size(), 2u);
}

TEST_F(Dispatch, ClearingTheProxyEmptiesItsValues)
{
    fake.options->proxyHost = "proxy.example";
    fake.options->proxyPort = 3128;
    fake.options->proxyUser = "bob";
    fake.options->proxyPassword = "pw";
    run("trakhand /NP");
    ASSERT_EQ(fake.applied.size(), 2u);
    const cddb::Options& o = fake.applied[1];
    EXPECT_EQ(o.proxyHost, "");
    EXPECT_EQ(o.proxyPort, 0);
    EXPECT_EQ(o.proxyUser, "");
    EXPECT_EQ(o.proxyPassword, "");
    EXPECT_EQ(exitCode, 0);
}

TEST_F(Dispatch, DriveMapOfTheCollectionReachesTheDrives)
{
    write("QVLROCFG.INI", "[Settings]\nCDDrive=D:\n[CD Drives]\nD:=discs/abbey.toc\nE:=/dev/sr1\n");
    run("trakhand /A");
    EXPECT_EQ(driveMap, (std::vector<cdaudio::DriveOverride>{{"D:", "discs/abbey.toc"}, {"E:", "/dev/sr1"}}));
}

TEST_F(Dispatch, CancelEndsARunningLookup)
{
    fake.duringLookup = [this](cddb::ControlEvents*) {
        while (!fake.cancelled())
            rt::Scheduler::instance().sleep(100);
        throw cddb::ComError(cddb::hr::kCancelled, "The lookup was cancelled.");
    };
    start("trakhand /D D:");
    rt::Window* dialog = host.window("LookupDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->hidden());
    EXPECT_EQ(dialog->title(), "Trakhand");
    EXPECT_EQ((*dialog)["?Status"].text(), "Accessing online music database... please wait.");
    EXPECT_TRUE((*dialog)["?Toc"].hidden());
    EXPECT_EQ((*dialog)["?Toc"].value(), fake.toc);
    EXPECT_TRUE((*dialog)["?EventLog"].hidden());
    EXPECT_EQ(exitCode, -1); // still looking
    host.advance(1000);
    EXPECT_EQ(exitCode, -1);
    host.press(*dialog, "?Cancel");
    host.advance(200);
    EXPECT_EQ(finish(), std::vector<std::string>{}); // a cancel is logged, not shown
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(read(kErrorLogFile), "COM Error (82fa0029): The lookup was cancelled.\r\n");
    EXPECT_FALSE(exists("TRAKHAND.LOG"));
    EXPECT_EQ(host.window("LookupDialog"), nullptr);
}

} // namespace
} // namespace qv::trakhand::testing
