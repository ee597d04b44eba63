#pragma once
// Turns a window's sheet of tabs into a wizard: the tab headers are hidden,
// Back and Next walk the steps (optionally skipping hidden tabs), Finish
// takes Next's place on the last step, and a validation hook can hold the
// user on a step. Without wizard mode the sheet stays an ordinary tabbed
// dialog with only its OK button. A window derives its own class and
// supplies the hooks.

#include "platform/runtime/window.h"

namespace qv::rt {
class Control;
class Window;
} // namespace qv::rt

namespace qv::qvls {

// A sheet property: "1" shows the sheet as a wizard, without tab headers.
namespace sheet_property {
inline constexpr int Wizard = rt::prop::Wizard;
}
void setWizardStyle(rt::Control& sheet, bool on);
bool wizardStyle(const rt::Control& sheet);

class WizardSheet
{
public:
    virtual ~WizardSheet() = default;

    // Control numbers; 0 for a button the window does not have.
    int BACKFEQ = 0;
    int NEXTFEQ = 0;
    int OKFEQ = 0;
    int CANCELFEQ = 0;
    int SHEETFEQ = 0;
    int CURTABFEQ = 0; // the sheet's first tab
    int IMAGEFEQ = 0;
    int TEXTBOXFEQ = 0;
    // Steps are tab positions counted from 1, hidden tabs included.
    int MAXTAB = 0;
    int MINTAB = 0;
    int CURTABNUM = 0;
    bool SKIPHIDDEN = false;
    bool COEXISTOKNEXT = false; // Finish and Next share one place
    bool VALIDATEONNEXT = false;
    bool WIZARDACTIVE = false;
    bool ENABLEOKONTAB = false;

    void Prepare(rt::Window& window, int sheet, int back, int next, int wizardMode, bool validateOnNext,
        bool coexistOkNext, bool skipHidden, int cancel, int finish);

    // Every accepted control of the window.
    virtual void OnAccepted(int control);
    // A new selection on the sheet: in wizard mode the current step's tab
    // is shown again, so tabs chosen any other way do not change the step.
    void OnNewSelection(int control);
    virtual void updateButtons();
    virtual void afterBack() { }
    virtual void afterNext() { }
    // True while the current step is not complete.
    virtual bool validateStep() { return false; }

    void findStepRange();
    void findFirstStep();
    void findLastStep();
    void nextStep();
    void previousStep();
    void ClampStep();
    // Next while a later step is left in wizard mode, else Finish.
    int defaultButton() const;

protected:
    rt::Window* window() const { return window_; }

private:
    int tabCount() const;
    bool tabHidden(int position) const;
    rt::Control* control(int number) const;

    rt::Window* window_ = nullptr;
};

} // namespace qv::qvls
