#include <gtest/gtest.h>

#include "platform/expr/datetime.h"
#include "platform/runtime/keycodes.h"
#include "qvls/core/about.h"
#include "qvls/core/frame.h"
#include "qvls/core/frame_commands.h"
#include "setup_fixture.h"

namespace qv::qvls::testing {
namespace {

class AboutBox : public SetupFixture
{
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        FrameServices& s = frameServices();
        s.openAddress = [this](std::string_view a) {
            actions.push_back("open " + std::string(a));
            return 42;
        };
        s.runProgram = [this](const std::string& p, const std::vector<std::string>& args, const std::string&) {
            std::string line = "run " + p;
            for (const std::string& a : args)
                line += " " + a;
            actions.push_back(line);
            return 2; // not there: nobody is told
        };
        s.programFolder = [] { return std::string("/opt/qvl/"); };
        glo().versionText = "Version 2.61";
    }
    void TearDown() override
    {
        resetFrameServices();
        SetupFixture::TearDown();
    }

    std::vector<std::string> actions;
};

TEST_F(AboutBox, HotSpots)
{
    const std::string site = "open " + std::string(kDiscDatabaseSite);
    const std::string tool = "run /opt/qvl/trakhand /A";
    struct Case {
        const char* spot;
        std::vector<std::string> actions;
        bool closes;
        const char* opens;
    };
    const Case cases[] = {
        {"?HotSpot1", {site, tool}, false, nullptr},
        {"?HotSpot5", {site, tool}, false, nullptr},
        {"?HotSpot2", {"open " + std::string(kMakerAddress)}, false, nullptr},
        {"?HotSpot6", {"open " + std::string(kMakerAddress)}, false, nullptr},
        {"?HotSpot7", {"open " + std::string(kSupportMail)}, false, nullptr},
        {"?VersionRegion", {}, false, "CompileDate"},
        {"?HotSpot8", {}, true, nullptr},
        {"?Exit", {}, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spot);
        actions.clear();
        rt::Window* w = open("AboutQVL", "AboutQVL");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ((*w)["?Version"].value(), "Version 2.61");
        // A click on the picture's text arrives as an alerted mouse key.
        host->post(*w, rt::Event{rt::event::AlertKey, (*w)[c.spot].number(), rt::key::MouseLeft});
        EXPECT_EQ(actions, c.actions);
        const bool stillOpen = isOpen(w);
        EXPECT_EQ(stillOpen, !c.closes);
        if (c.opens) {
            rt::Window* inner = host->window(c.opens);
            ASSERT_NE(inner, nullptr);
            host->press(*inner, "?Close");
        }
        if (stillOpen) {
            EXPECT_EQ(w->focus(), &(*w)["?HotSpot8"]) << "the focus returns to the close spot";
            host->post(*w, rt::Event{rt::event::CloseWindow});
        }
        EXPECT_TRUE(host->openWindows().empty());
    }
}

TEST_F(AboutBox, CompileDateShowsThisBuild)
{
    const BuildStamp b = thisBuildStamp();
    EXPECT_GT(b.changedDate, expr::dateFromYmd(2025, 1, 1));
    EXPECT_LE(b.changedDate, expr::SystemClock().today());
    EXPECT_LE(b.createdDate, b.changedDate);
    EXPECT_GT(b.changedTime, 0);

    host->start("about", [] { CompileDate(); });
    host->settle();
    rt::Window* w = host->window("CompileDate");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(glo().buildStamp.changedDate, b.changedDate) << "the window stores this build's stamp";
    const expr::Ymd d = expr::ymdFromDate(b.changedDate);
    EXPECT_NE((*w)["?ChangeDate"].value().find(std::to_string(d.year)), std::string::npos)
        << (*w)["?ChangeDate"].value();
    EXPECT_NE((*w)["?ChangeTime"].value().find(':'), std::string::npos) << (*w)["?ChangeTime"].value();
    EXPECT_EQ((*w)["?Version"].value(), "Version 2.61");
    EXPECT_EQ((*w)["?Application"].value(), "qvls");
    EXPECT_EQ((*w)["?Bits32"].value(), sizeof(void*) == 4 ? "1" : "0");

    // Its placement is kept when it is moved, and it opens there again.
    w->userGeometry({40, 30, 150, 122});
    host->post(*w, rt::Event{rt::event::Moved});
    host->press(*w, "?Close");
    EXPECT_FALSE(isOpen(w));
    EXPECT_NE(readFile(collection("POSITION.INI")).find("[CompileDate]"), std::string::npos);
    host->start("again", [] { CompileDate(); });
    host->settle();
    w = host->window("CompileDate");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry().x, 40);
    EXPECT_EQ(w->geometry().y, 30);
}

} // namespace
} // namespace qv::qvls::testing
