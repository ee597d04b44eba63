#include <gtest/gtest.h>

#include "platform/runtime/headless.h"
#include "qvls/core/globals.h"
#include "qvls/core/mouse_wheel.h"

namespace qv::qvls::testing {
namespace {

constexpr const char* kYaml = R"(
title: Lists
controls:
  - {type: button, name: Ok, text: OK}
  - {type: list, name: First, at: [0, 0, 100, 50]}
  - {type: text, name: Notes, at: [0, 60, 100, 30]}
  - {type: list, name: Paged, flags: [immediate], at: [110, 0, 100, 50]}
  - {type: list, name: Hidden, flags: [hidden]}
)";

struct Rows : rt::ListSource {
    int rowCount() const override { return 10; }
    int columnCount() const override { return 1; }
    std::string cell(int, int) const override { return {}; }
};

class Wheel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        glo() = Globals{};
        host.start("Lists", [this] {
            rt::Window w(rt::parseWindowDef(kYaml, "test", "Lists"));
            window = &w;
            w["?First"].setList(&rows);
            w["?First"].setSelected(3);
            w.open();
            installScroller(scroller, w);
            for (;;) {
                const rt::Event e = w.waitEvent();
                if (e.code == rt::event::CloseWindow)
                    break;
                if (!scroller.handleWheel(e))
                    seen.push_back(e);
            }
            removeScroller(scroller);
            w.close();
            window = nullptr;
        });
        host.settle();
    }
    void TearDown() override
    {
        if (window)
            host.post(*window, {rt::event::CloseWindow});
        glo() = Globals{};
    }
    void wheel(int delta, std::string_view under = {})
    {
        seen.clear();
        host.post(*window, {rt::event::MouseWheel, under.empty() ? 0 : (*window)[under].number(), delta});
    }
    int number(std::string_view name) const { return (*window)[name].number(); }

    rt::HeadlessHost host;
    Rows rows;
    MouseWheelScroller scroller;
    rt::Window* window = nullptr;
    std::vector<rt::Event> seen;
};

TEST_F(Wheel, NotchesMoveTheListTheUserMeans)
{
    ASSERT_TRUE(MouseWheelScroller::installedOn(*window));
    EXPECT_TRUE(window->alertKeys().count(rt::event::MouseWheel)) << "the host is asked for the wheel";

    wheel(-120, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 4);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].code, rt::event::NewSelection);
    EXPECT_EQ(seen[0].control, number("?First"));

    wheel(-360, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 7) << "three notches in one turn, three rows";
    wheel(240, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 5);

    wheel(-240, "?Paged");
    ASSERT_EQ(seen.size(), 2u) << "a page-loaded list scrolls itself";
    EXPECT_EQ(seen[0].code, rt::event::ScrollDown);
    EXPECT_EQ(seen[0].control, number("?Paged"));
    wheel(120, "?Paged");
    EXPECT_EQ(seen.at(0).code, rt::event::ScrollUp);
}

TEST_F(Wheel, TargetRules)
{
    // Outside every list and nothing scrollable focused: the first visible one.
    wheel(-120, "?Ok");
    EXPECT_EQ((*window)["?First"].selected(), 4);
    // A focused text box takes the wheel even with the mouse over a list.
    window->select((*window)["?Notes"]);
    wheel(-120, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 4);
    EXPECT_EQ((*window)["?Notes"].takeScrollLines(), scroller.TURNS) << "a line per turn, down";
    EXPECT_EQ(scroller.findTargetList(number("?First")), number("?Notes"));
    // A focused list beats the one under the mouse.
    window->select((*window)["?Paged"]);
    EXPECT_EQ(scroller.findTargetList(number("?First")), number("?Paged"));
    window->select((*window)["?Ok"]);
    EXPECT_EQ(scroller.findTargetList(number("?Hidden")), number("?First")) << "a hidden list is never the target";
}

TEST_F(Wheel, FineGrainedWheelsAddUpPerWindow)
{
    for (int i = 0; i < 3; ++i)
        wheel(-40, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 4) << "three thirds of a notch make one row";
    wheel(-60, "?First");
    wheel(30, "?First"); // the other way starts afresh
    wheel(-60, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 4);
    wheel(-60, "?First");
    EXPECT_EQ((*window)["?First"].selected(), 5);
}

TEST(WheelInstall, WindowsWithoutScrollablesAndTheNoMouseSwitchAreLeftAlone)
{
    rt::HeadlessHost host;
    glo() = Globals{};
    std::size_t before = MouseWheelScroller::installedCount();
    bool plainTaken = true, secondTaken = true, noMouseTaken = true;
    host.start("w", [&] {
        rt::Window plain(rt::parseWindowDef("controls:\n  - {type: button, name: Ok}\n", "test", "Plain"));
        plain.open();
        MouseWheelScroller s1;
        s1.Install(plain);
        plainTaken = s1.installed() || plain.alertKeys().count(rt::event::MouseWheel);

        rt::Window lists(rt::parseWindowDef(kYaml, "test", "Lists"));
        MouseWheelScroller a, b;
        a.Install(lists);
        b.Install(lists);
        secondTaken = b.installed();
        EXPECT_EQ(MouseWheelScroller::installedCount(), before + 1) << "one entry per window";
        a.Remove();

        glo().noMouse = true;
        MouseWheelScroller c;
        installScroller(c, lists);
        noMouseTaken = c.installed();
        glo().noMouse = false;
        plain.close();
    });
    host.settle();
    EXPECT_FALSE(plainTaken);
    EXPECT_FALSE(secondTaken);
    EXPECT_FALSE(noMouseTaken);
    EXPECT_EQ(MouseWheelScroller::installedCount(), before);
}

} // namespace
} // namespace qv::qvls::testing
