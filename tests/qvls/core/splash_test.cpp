#include "frame_fixture.h"
#include "platform/runtime/halt.h"
#include "platform/runtime/keycodes.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup_wizard.h"

namespace qv::qvls::testing {
namespace {

std::vector<std::string>& calls()
{
    static std::vector<std::string> log;
    return log;
}

class SplashTest : public FrameFixture
{
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        runSplash = true;
        calls().clear();
        rt::Procedures::add("SetupWizard", [] { calls().push_back("SetupWizard"); });
        rt::Procedures::add("UpdateQVLTips",
            [] { calls().push_back("UpdateQVLTips request " + std::to_string(fw::handover().request)); });
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        // Later tests see these procedures as not built yet again.
        rt::Procedures::add("SetupWizard", [] {});
        rt::Procedures::add("UpdateQVLTips", [] {});
    }
    rt::Window* splash() const { return host->window("Splash"); }
    std::vector<std::string> startedNames() const
    {
        std::vector<std::string> v;
        for (const Started& s : started)
            v.push_back(s.name);
        return v;
    }
};

TEST_F(SplashTest, ShowsTheVersionAndClosesOnItsTriggers)
{
    struct Case {
        const char* name;
        int event; // posted to the splash; 0: the trigger below
        int keyCode;
    };
    const Case cases[] = {
        {"three seconds", 0, 0},
        {"a click", rt::event::AlertKey, rt::key::MouseLeft},
        {"a double-click", rt::event::AlertKey, rt::key::MouseLeft2},
        {"a right click", rt::event::AlertKey, rt::key::MouseRight},
        {"another window activated", rt::event::LoseFocus, 0},
        {"the frame's first command", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(collection("QVLROCFG.INI"), "[Settings]\r\nSetupWizardComplete=1\r\nShowTips=0\r\n");
        startFrame();
        ASSERT_NE(splash(), nullptr);
        EXPECT_EQ((*splash())["?Version"].value(), "Version 2.61");
        host->advance(2900);
        ASSERT_NE(splash(), nullptr) << "not before three seconds";
        if (c.event > 0)
            host->post(*splash(), {c.event, 0, c.keyCode});
        else if (c.event < 0)
            press("ListsArtists");
        else
            host->advance(100);
        EXPECT_EQ(splash(), nullptr);
        EXPECT_TRUE(calls().empty()) << "set-up complete, tips off: nothing follows";
        closeFrame();
        host.reset();
        host = std::make_unique<rt::HeadlessHost>();
    }
}

TEST_F(SplashTest, ClosingRunsTheSetUpTheTipAndThenAsksForTheStartUpLists)
{
    writeFile(collection("QVLROCFG.INI"),
        "[Settings]\r\nSetupWizardComplete=0\r\nShowTips=1\r\nSU_Songs=1\r\nSU_Labels=1\r\nSU_Both=1\r\n");
    startFrame();
    EXPECT_TRUE(calls().empty());
    host->advance(3000);
    EXPECT_EQ(calls(), (std::vector<std::string>{"SetupWizard", "UpdateQVLTips request 2"}));
    EXPECT_EQ(startedNames(), (std::vector<std::string>{"BrowseSongs", "BrowseLabels"})) << "no list for SU_Both";
}

TEST_F(SplashTest, TheFramesFirstCommandLeavesTheWizardThatFollowedTheSplash)
{
    rt::Procedures::add("SetupWizard", [] { SetupWizard(); });
    writeFile(collection("QVLROCFG.INI"), "[Settings]\r\nSetupWizardComplete=0\r\nShowTips=0\r\n");
    startFrame();
    host->advance(3000);
    rt::Window* wizard = host->window("SetupWizard");
    ASSERT_NE(wizard, nullptr) << "the splash's thread runs the wizard";
    host->press(*wizard, "?Next");
    press("ListsArtists");
    EXPECT_EQ(host->window("SetupWizard"), wizard) << "the user's wizard stays open";
    EXPECT_EQ(startedNames(), std::vector<std::string>{"BrowseArtists"});
    host->press(*wizard, "?Cancel");
}

TEST_F(SplashTest, ATableErrorAtStartIsNotCoveredByTheWizard)
{
    std::vector<std::string> halts;
    rt::setHaltHandler([&](int, const std::string& text) { halts.push_back(text); });
    writeFile(collection("QVLROCFG.INI"), "[Settings]\r\nSetupWizardComplete=1\r\nShowTips=0\r\n");
    writeFile(collection("QVLConf.tps"), "not a table");
    startFrame();
    ASSERT_NE(host->messageBox(), nullptr) << "the frame reports the damaged file";
    host->advance(3000);
    EXPECT_EQ(splash(), nullptr);
    EXPECT_TRUE(calls().empty()) << "set-up was completed long ago: no wizard over the error";
    while (host->messageBox())
        host->answer(host->messageBox()->buttons().front().answer);
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(halts.empty());
    rt::setHaltHandler(nullptr);
    frame = nullptr;
}

TEST_F(SplashTest, NoListIsAskedForOnceTheFrameHasClosed)
{
    writeFile(collection("QVLROCFG.INI"), "[Settings]\r\nSetupWizardComplete=1\r\nSU_Songs=1\r\n");
    startFrame();
    glo().frameThread = 0;
    host->advance(3000);
    EXPECT_TRUE(started.empty());
}

} // namespace
} // namespace qv::qvls::testing
