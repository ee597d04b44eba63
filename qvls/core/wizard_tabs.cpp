#include "qvls/core/wizard_tabs.h"

#include "platform/runtime/window.h"

namespace qv::qvls {

WizardTabs::WizardTabs(rt::Window& window, Controls names, bool keepFinish)
    : window_(window)
    , names_(std::move(names))
    , keepFinish_(keepFinish)
{ }

rt::Control& WizardTabs::sheet() const
{
    return window_[names_.sheet];
}

rt::Control* WizardTabs::button(const std::string& name) const
{
    return name.empty() ? nullptr : window_.control(name);
}

// Read from the sheet each time: a wizard may hide or show tabs as it runs.
int WizardTabs::tabCount() const
{
    int n = 0;
    for (const rt::Control* c : sheet().children())
        if (c->type() == rt::ControlType::Tab)
            ++n;
    return n;
}

bool WizardTabs::tabHidden(int position) const
{
    int n = 0;
    for (const rt::Control* c : sheet().children())
        if (c->type() == rt::ControlType::Tab && ++n == position)
            return c->hidden();
    return true;
}

void WizardTabs::FindFirst()
{
    FirstStep = 1;
    const int count = tabCount();
    for (int i = 1; i <= count; ++i)
        if (!tabHidden(i)) {
            FirstStep = i;
            break;
        }
}

void WizardTabs::FindLast()
{
    LastStep = 1;
    const int count = tabCount();
    for (int i = 1; i <= count; ++i)
        if (!tabHidden(i))
            LastStep = i;
}

void WizardTabs::FindBounds()
{
    FindFirst();
    FindLast();
}

void WizardTabs::StartAtFirst()
{
    FindFirst();
    CurrentStep = FirstStep;
}

void WizardTabs::ClampStep()
{
    if (CurrentStep < FirstStep)
        CurrentStep = FirstStep;
    if (CurrentStep > LastStep)
        CurrentStep = LastStep;
}

void WizardTabs::ShowStep()
{
    rt::Control* back = button(names_.back);
    rt::Control* next = button(names_.next);
    rt::Control* finish = button(names_.finish);
    auto finishShown = [&](bool on) {
        if (finish && !keepFinish_)
            finish->setHidden(!on);
    };
    if (CurrentStep == FirstStep) {
        finishShown(false);
        if (finish)
            finish->setDefault(false);
        if (next)
            next->setDefault(true);
        if (back)
            back->setEnabled(false);
    } else if (CurrentStep == LastStep) {
        finishShown(true);
        if (next) {
            next->setDefault(false);
            next->setEnabled(false);
        }
        if (finish)
            finish->setDefault(true);
    } else {
        finishShown(false);
        if (finish)
            finish->setDefault(false);
        if (next) {
            next->setDefault(true);
            next->setEnabled(true);
        }
        if (back)
            back->setEnabled(true);
    }
    sheet().setSelected(CurrentStep);
    window_.display();
}

void WizardTabs::setUp()
{
    FindLast();
    StartAtFirst();
    sheet().setSelected(CurrentStep);
    if (rt::Control* back = button(names_.back))
        back->setEnabled(false);
    if (rt::Control* cancel = button(names_.cancel))
        cancel->setHidden(false);
    if (rt::Control* finish = button(names_.finish)) {
        if (!keepFinish_)
            finish->setHidden(true);
        finish->setDefault(false);
    }
}

void WizardTabs::next()
{
    FindBounds();
    while (CurrentStep < LastStep) {
        ++CurrentStep;
        if (!tabHidden(CurrentStep))
            break;
    }
    ClampStep();
    ShowStep();
}

void WizardTabs::Back()
{
    ShowStep();
    FindBounds();
    while (CurrentStep > FirstStep) {
        --CurrentStep;
        if (!tabHidden(CurrentStep))
            break;
    }
    ClampStep();
    ShowStep();
}

} // namespace qv::qvls
