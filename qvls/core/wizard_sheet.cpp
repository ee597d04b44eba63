#include "qvls/core/wizard_sheet.h"

#include "platform/runtime/window.h"

namespace qv::qvls {

void setWizardStyle(rt::Control& sheet, bool on)
{
    sheet.setProperty(sheet_property::Wizard, on ? "1" : "");
}

bool wizardStyle(const rt::Control& sheet)
{
    return sheet.property(sheet_property::Wizard) == "1";
}

rt::Control* WizardSheet::control(int number) const
{
    return window_ && number ? window_->control(number) : nullptr;
}

int WizardSheet::tabCount() const
{
    int n = 0;
    if (rt::Control* sheet = control(SHEETFEQ))
        for (const rt::Control* c : sheet->children())
            if (c->type() == rt::ControlType::Tab)
                ++n;
    return n;
}

bool WizardSheet::tabHidden(int position) const
{
    int n = 0;
    if (rt::Control* sheet = control(SHEETFEQ))
        for (const rt::Control* c : sheet->children())
            if (c->type() == rt::ControlType::Tab && ++n == position)
                return c->hidden();
    return true;
}

void WizardSheet::Prepare(rt::Window& window, int sheet, int back, int next, int wizardMode, bool validateOnNext,
    bool coexistOkNext, bool skipHidden, int cancel, int finish)
{
    window_ = &window;
    SHEETFEQ = sheet;
    BACKFEQ = back;
    NEXTFEQ = next;
    CANCELFEQ = cancel;
    OKFEQ = finish;
    WIZARDACTIVE = wizardMode == 1;
    VALIDATEONNEXT = validateOnNext;
    COEXISTOKNEXT = coexistOkNext;
    SKIPHIDDEN = skipHidden;
    CURTABFEQ = 0;
    if (rt::Control* s = control(SHEETFEQ))
        for (const rt::Control* c : s->children())
            if (c->type() == rt::ControlType::Tab) {
                CURTABFEQ = c->number();
                break;
            }
    findStepRange();
    CURTABNUM = MINTAB;

    rt::Control* ok = control(OKFEQ);
    rt::Control* nextButton = control(NEXTFEQ);
    if (WIZARDACTIVE) {
        if (rt::Control* s = control(SHEETFEQ))
            setWizardStyle(*s, true);
        if (COEXISTOKNEXT && ok) {
            if (nextButton) {
                rt::Rect at = ok->geometry();
                at.x = nextButton->geometry().x;
                ok->setGeometry(at);
            }
            ok->setHidden(true);
            if (nextButton)
                nextButton->setHidden(false);
        }
    } else {
        if (ok)
            ok->setHidden(false);
        if (rt::Control* b = control(BACKFEQ))
            b->setHidden(true);
        if (nextButton)
            nextButton->setHidden(true);
    }
    updateButtons();
}

void WizardSheet::findFirstStep()
{
    MINTAB = 1;
    if (!SKIPHIDDEN)
        return;
    const int count = tabCount();
    for (int i = 1; i <= count; ++i)
        if (!tabHidden(i)) {
            MINTAB = i;
            return;
        }
}

void WizardSheet::findLastStep()
{
    MAXTAB = tabCount();
    if (!SKIPHIDDEN)
        return;
    for (int i = MAXTAB; i >= 1; --i)
        if (!tabHidden(i)) {
            MAXTAB = i;
            return;
        }
}

void WizardSheet::findStepRange()
{
    findFirstStep();
    findLastStep();
}

void WizardSheet::ClampStep()
{
    if (CURTABNUM < MINTAB)
        CURTABNUM = MINTAB;
    if (CURTABNUM > MAXTAB)
        CURTABNUM = MAXTAB;
}

void WizardSheet::nextStep()
{
    if (VALIDATEONNEXT && validateStep())
        return;
    findStepRange();
    if (SKIPHIDDEN) {
        while (CURTABNUM < MAXTAB) {
            ++CURTABNUM;
            if (!tabHidden(CURTABNUM))
                break;
        }
    } else {
        ++CURTABNUM;
    }
    ClampStep();
}

void WizardSheet::previousStep()
{
    findStepRange();
    if (SKIPHIDDEN) {
        while (CURTABNUM > MINTAB) {
            --CURTABNUM;
            if (!tabHidden(CURTABNUM))
                break;
        }
    } else {
        --CURTABNUM;
    }
    ClampStep();
}

int WizardSheet::defaultButton() const
{
    return WIZARDACTIVE && CURTABNUM != MAXTAB ? NEXTFEQ : OKFEQ;
}

void WizardSheet::updateButtons()
{
    if (!WIZARDACTIVE)
        return;
    rt::Control* back = control(BACKFEQ);
    rt::Control* next = control(NEXTFEQ);
    rt::Control* ok = control(OKFEQ);
    if (ok)
        ok->setDefault(false);
    if (next)
        next->setDefault(true);
    if (COEXISTOKNEXT) {
        if (ok)
            ok->setHidden(true);
        if (next)
            next->setHidden(false);
    }
    if (back)
        back->setEnabled(CURTABNUM != MINTAB);
    if (next)
        next->setEnabled(true);
    if (CURTABNUM == MAXTAB) {
        if (COEXISTOKNEXT) {
            if (ok)
                ok->setHidden(false);
            if (next)
                next->setHidden(true);
        }
        if (next) {
            next->setDefault(false);
            next->setEnabled(false);
        }
        if (ok)
            ok->setDefault(true);
    }
    if (rt::Control* sheet = control(SHEETFEQ)) {
        sheet->setSelected(CURTABNUM);
        window_->post(rt::event::NewSelection, SHEETFEQ);
    }
    window_->display();
}

void WizardSheet::OnAccepted(int accepted)
{
    if (!window_ || accepted == 0)
        return;
    if (accepted == BACKFEQ) {
        previousStep();
        afterBack();
        updateButtons();
    } else if (accepted == NEXTFEQ) {
        nextStep();
        afterNext();
        updateButtons();
        if (VALIDATEONNEXT && validateStep())
            if (rt::Control* d = control(defaultButton()))
                d->setEnabled(false);
    } else if (accepted == SHEETFEQ) {
        updateButtons();
    } else if (rt::Control* c = control(accepted);
               c && c->type() == rt::ControlType::Tab && c->parent() && c->parent()->number() == SHEETFEQ) {
        updateButtons();
    }
}

void WizardSheet::OnNewSelection(int selected)
{
    if (!WIZARDACTIVE || selected != SHEETFEQ)
        return;
    if (rt::Control* sheet = control(SHEETFEQ); sheet && sheet->selected() != CURTABNUM)
        updateButtons();
}

} // namespace qv::qvls
