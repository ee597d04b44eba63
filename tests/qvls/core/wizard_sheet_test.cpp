#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "platform/runtime/headless.h"
#include "platform/runtime/window.h"
#include "qvls/core/wizard_sheet.h"

namespace qv::qvls::testing {
namespace {

constexpr const char* kButtons = R"(  - {type: button, name: Back, text: "&Back", at: [100, 160, 40, 14]}
  - {type: button, name: Next, text: "&Next", at: [150, 160, 40, 14]}
  - {type: button, name: Finish, text: "&Finish", at: [200, 160, 40, 14]}
  - {type: button, name: Cancel, text: Cancel, at: [250, 160, 40, 14]}
)";

// A wizard of `tabs` steps.
std::string wizardYaml(int tabs)
{
    std::string y = "title: Scan\nat: [0, 0, 300, 180]\ncontrols:\n"
                    "  - type: sheet\n    name: Sheet\n    at: [0, 0, 300, 150]\n    tabs:\n";
    for (int i = 1; i <= tabs; ++i)
        y += "      - {text: Step" + std::to_string(i) + ", name: Tab" + std::to_string(i) + "}\n";
    return y + kButtons;
}

// Steps listed here are not complete yet.
class ScanSheet : public WizardSheet
{
public:
    std::set<int> incomplete;
    int nexts = 0, backs = 0;
    bool validateStep() override { return incomplete.count(CURTABNUM) > 0; }
    void afterNext() override { ++nexts; }
    void afterBack() override { ++backs; }
};

struct Options {
    int wizard = 1;
    bool validate = false;
    bool coexist = false;
    bool skipHidden = true;
    std::vector<std::string> hiddenTabs = {};
    int tabs = 4;
};

class WizardSheetTest : public ::testing::Test
{
protected:
    void run(const Options& o)
    {
        host.start("wizard", [this, o] {
            rt::Window w(rt::parseWindowDef(wizardYaml(o.tabs), "test", "Scan"));
            for (const std::string& t : o.hiddenTabs)
                w[t].setHidden(true);
            w.open();
            window = &w;
            sheet.Prepare(w, w["?Sheet"].number(), w["?Back"].number(), w["?Next"].number(), o.wizard, o.validate,
                o.coexist, o.skipHidden, w["?Cancel"].number(), w["?Finish"].number());
            for (;;) {
                const rt::Event e = w.waitEvent();
                if (e.code == rt::event::CloseWindow)
                    break;
                if (e.code == rt::event::Accepted)
                    sheet.OnAccepted(e.control);
                if (e.code == rt::event::NewSelection)
                    sheet.OnNewSelection(e.control);
            }
            window = nullptr;
        });
        host.settle();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (window)
            host.post(*window, rt::Event{rt::event::CloseWindow});
    }
    void press(const char* b) { host.press(*window, b); }
    // Step, then Back/Next enabled, Finish shown, the default button.
    std::string state() const
    {
        rt::Window& w = *window;
        std::string s = std::to_string(sheet.CURTABNUM) + " tab " + std::to_string(w["?Sheet"].selected());
        s += w["?Back"].hidden() ? " (back)" : w["?Back"].enabled() ? " back" : " -";
        s += w["?Next"].hidden() ? " (next)" : w["?Next"].enabled() ? " next" : " -";
        s += w["?Finish"].hidden() ? " (finish)" : w["?Finish"].enabled() ? " finish" : " -";
        s += w["?Next"].isDefault() ? " [next]" : "";
        s += w["?Finish"].isDefault() ? " [finish]" : "";
        return s;
    }

    rt::HeadlessHost host;
    ScanSheet sheet;
    rt::Window* window = nullptr;
};

TEST_F(WizardSheetTest, NextAndBackSkipHiddenTabs)
{
    run({.hiddenTabs = {"?Tab2"}});
    EXPECT_TRUE(wizardStyle((*window)["?Sheet"]));
    EXPECT_EQ(state(), "1 tab 1 - next finish [next]");
    EXPECT_EQ(sheet.CURTABFEQ, (*window)["?Tab1"].number());
    press("?Next");
    EXPECT_EQ(state(), "3 tab 3 back next finish [next]");
    press("?Next");
    EXPECT_EQ(state(), "4 tab 4 back - finish [finish]");
    EXPECT_EQ(sheet.defaultButton(), sheet.OKFEQ);
    EXPECT_FALSE((*window)["?Next"].enabled()) << "never past the last step";
    press("?Back");
    press("?Back");
    EXPECT_EQ(state(), "1 tab 1 - next finish [next]");
    EXPECT_EQ(sheet.nexts, 2);
    EXPECT_EQ(sheet.backs, 2);
}

TEST_F(WizardSheetTest, WithoutSkippingHiddenTabsAreSteps)
{
    run({.skipHidden = false, .hiddenTabs = {"?Tab2"}});
    press("?Next");
    EXPECT_EQ(sheet.CURTABNUM, 2);
}

TEST_F(WizardSheetTest, ASingleStepWizardOffersOnlyFinish)
{
    run({.tabs = 1});
    EXPECT_EQ(state(), "1 tab 1 - - finish [finish]");
}

TEST_F(WizardSheetTest, FinishTakesNextsPlaceWhenTheyShareIt)
{
    run({.coexist = true, .tabs = 2});
    EXPECT_EQ((*window)["?Finish"].geometry().x, (*window)["?Next"].geometry().x);
    EXPECT_EQ(state(), "1 tab 1 - next (finish) [next]");
    press("?Next");
    EXPECT_EQ(state(), "2 tab 2 back (next) finish [finish]");
    press("?Back");
    EXPECT_EQ(state(), "1 tab 1 - next (finish) [next]");
}

TEST_F(WizardSheetTest, AnIncompleteStepHoldsTheUser)
{
    run({.validate = true});
    // The user leaves the first step incomplete after all.
    sheet.incomplete = {1, 3};
    press("?Next");
    EXPECT_EQ(sheet.CURTABNUM, 1) << "Next on an incomplete step stays";
    EXPECT_FALSE((*window)["?Next"].enabled());
    // The user completes it; the window's own rule gives Next back.
    sheet.incomplete = {3};
    sheet.updateButtons();
    press("?Next");
    EXPECT_EQ(sheet.CURTABNUM, 2);
    press("?Next");
    EXPECT_EQ(sheet.CURTABNUM, 3);
    EXPECT_FALSE((*window)["?Next"].enabled()) << "arriving on an incomplete step disables the default button";
    sheet.incomplete = {4};
    sheet.updateButtons();
    press("?Next");
    EXPECT_EQ(sheet.CURTABNUM, 4);
    EXPECT_FALSE((*window)["?Finish"].enabled());
}

TEST_F(WizardSheetTest, TabsCannotBeChosenInWizardMode)
{
    run({});
    host.choose(*window, "?Sheet", 3);
    EXPECT_EQ((*window)["?Sheet"].selected(), 1);
    press("?Tab4");
    EXPECT_EQ((*window)["?Sheet"].selected(), 1);
    EXPECT_EQ(sheet.CURTABNUM, 1);
}

TEST_F(WizardSheetTest, WithoutWizardModeOnlyOkShowsAndTabsChangeFreely)
{
    run({.wizard = 0});
    EXPECT_FALSE(wizardStyle((*window)["?Sheet"]));
    EXPECT_EQ(state(), "1 tab 0 (back) (next) finish") << "the sheet is left as it is";
    host.choose(*window, "?Sheet", 3);
    EXPECT_EQ((*window)["?Sheet"].selected(), 3);
}

} // namespace
} // namespace qv::qvls::testing
