#include <gtest/gtest.h>

#include "platform/runtime/window.h"
#include "qvls/core/wizard_tabs.h"

namespace qv::qvls::testing {
namespace {

// A wizard of `tabs` steps; pattern marks hidden tabs with "h" ("..hh.").
std::unique_ptr<rt::Window> wizard(const std::string& pattern)
{
    std::string yaml = "title: Wizard\ncontrols:\n  - type: sheet\n    name: Sheet\n    tabs:\n";
    for (std::size_t i = 0; i < pattern.size(); ++i)
        yaml += "      - {text: Step" + std::to_string(i + 1) + (pattern[i] == 'h' ? ", flags: [hidden]" : "") + "}\n";
    yaml += "  - {type: button, name: Back, text: Back}\n  - {type: button, name: Next, text: Next}\n"
            "  - {type: button, name: Finish, text: Finish}\n  - {type: button, name: Cancel, text: Cancel}\n";
    return std::make_unique<rt::Window>(rt::parseWindowDef(yaml, "test", "Wizard"));
}

// The buttons as the user sees them: B/b Back enabled or not, N/n Next,
// F/- Finish shown or hidden, and which one Enter presses.
std::string buttons(const rt::Window& w)
{
    std::string s;
    s += w["?Back"].enabled() ? 'B' : 'b';
    s += w["?Next"].enabled() ? 'N' : 'n';
    s += w["?Finish"].hidden() ? '-' : 'F';
    s += w["?Finish"].isDefault() ? " enter=finish" : w["?Next"].isDefault() ? " enter=next" : " enter=none";
    return s;
}

struct Walk {
    const char* pattern;
    const char* moves; // N next, B back, in order
    std::vector<int> steps; // the step after set-up and after each move
    const char* finalButtons;
};

TEST(WizardTabs, StepsSkipHiddenTabsAndButtonsFollow)
{
    const Walk walks[] = {
        {"..hh.", "NNB", {1, 2, 5, 2}, "BN- enter=next"}, // Tabs 3 and 4 skipped both ways
        {".....", "NN", {1, 2, 3}, "BN- enter=next"},
        {"...", "NNB", {1, 2, 3, 2}, "BN- enter=next"}, // last then back: Next enabled again in the middle
        {"...", "NN", {1, 2, 3}, "BnF enter=finish"},
        {"..", "N", {1, 2}, "bnF enter=finish"}, // two steps: Back stays disabled
        {".hhh", "NN", {1, 1, 1}, "bN- enter=next"}, // one visible step: no Finish ever
        {"h..h", "NNN", {2, 3, 3, 3}, "bnF enter=finish"}, // two visible steps, Back never enabled
        {".hh", "N", {1, 1}, "bN- enter=next"},
        {"hhh", "NB", {1, 1, 1}, "bN- enter=next"}, // nothing visible: steps stay 1
    };
    for (const Walk& w : walks) {
        SCOPED_TRACE(std::string(w.pattern) + " " + w.moves);
        auto win = wizard(w.pattern);
        WizardTabs tabs(*win, {"?Sheet", "?Back", "?Next", "?Finish", "?Cancel"});
        tabs.setUp();
        std::vector<int> steps{tabs.CurrentStep};
        EXPECT_EQ((*win)["?Sheet"].selected(), tabs.CurrentStep);
        for (const char* m = w.moves; *m; ++m) {
            *m == 'N' ? tabs.next() : tabs.Back();
            steps.push_back(tabs.CurrentStep);
            EXPECT_EQ((*win)["?Sheet"].selected(), tabs.CurrentStep) << "the sheet shows the step";
        }
        EXPECT_EQ(steps, w.steps);
        EXPECT_EQ(buttons(*win), w.finalButtons);
    }
}

TEST(WizardTabs, HidingTheCurrentTabKeepsTheStepInTheVisibleRange)
{
    auto win = wizard(".....");
    WizardTabs tabs(*win, {"?Sheet", "?Back", "?Next", "?Finish", "?Cancel"});
    tabs.setUp();
    tabs.next();
    tabs.next();
    tabs.next(); // step 4
    // Steps 4 and 5 go away: the step falls back to the last visible one.
    for (rt::Control* c : (*win)["?Sheet"].children())
        if (c->text() == "Step4" || c->text() == "Step5")
            c->setHidden(true);
    tabs.next();
    EXPECT_EQ(tabs.CurrentStep, 3);
    EXPECT_EQ(buttons(*win), "BnF enter=finish");
}

TEST(WizardTabs, TheSubmissionWizardKeepsFinishWhereItIs)
{
    auto win = wizard("...");
    WizardTabs tabs(*win, {"?Sheet", "?Back", "?Next", "?Finish", "?Cancel"}, true);
    tabs.setUp();
    EXPECT_FALSE((*win)["?Finish"].hidden());
    tabs.next();
    tabs.next();
    EXPECT_EQ(buttons(*win), "BnF enter=finish") << "the default and enable rules still apply";
    tabs.Back();
    EXPECT_FALSE((*win)["?Finish"].hidden());
    EXPECT_FALSE((*win)["?Finish"].isDefault());
}

} // namespace
} // namespace qv::qvls::testing
