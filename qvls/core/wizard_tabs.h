#pragma once
// The step logic of a wizard built on a tabbed sheet: each tab is a step,
// hidden tabs are skipped, and Back, Next and Finish follow the step.
// Positions count every tab of the sheet from 1, hidden or not.

#include <string>

namespace qv::rt {
class Control;
class Window;
} // namespace qv::rt

namespace qv::qvls {

class WizardTabs
{
public:
    struct Controls {
        std::string sheet, back, next, finish, cancel;
    };
    // keepFinish: Finish is never hidden or shown by the steps (the
    // submission wizard manages it itself).
    WizardTabs(rt::Window& window, Controls names, bool keepFinish = false);

    int FirstStep = 0;
    int LastStep = 0;
    int CurrentStep = 0;

    void FindFirst();
    void FindLast();
    void FindBounds();
    void StartAtFirst();
    void ClampStep();
    void ShowStep();

    // The wizard's Prepare, after its window has opened.
    void setUp();
    // The Next and Back buttons, after the window's lists re-read their rows.
    void next();
    void Back();

private:
    int tabCount() const;
    bool tabHidden(int position) const;
    rt::Control& sheet() const;
    rt::Control* button(const std::string& name) const;

    rt::Window& window_;
    Controls names_;
    bool keepFinish_;
};

} // namespace qv::qvls
