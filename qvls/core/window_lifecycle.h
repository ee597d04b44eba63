#pragma once
// What every window of the program does as it opens and closes, whatever
// else it is: it stores the globals every window stores, takes its placement
// from ".\POSITION.INI" and keeps it there (pulled back on screen when it
// strays past the top or left edge), shows its texts through the program's
// translator, scrolls its lists with the mouse wheel unless "/NOMOUSE"
// was given, and opens the manual at its topic on F1. The program installs it once; no window wires these itself.

#include "platform/framework/window_controller.h"
#include "qvls/core/mouse_wheel.h"

namespace qv::qvls {

class WindowLifecycle : public fw::WindowComponent
{
public:
    void beforeOpen(fw::WindowController& controller) override;
    void Prepare(fw::WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;
    void CleanUp() override;

private:
    void savePlacement() const;

    fw::WindowController* controller_ = nullptr;
    MouseWheelScroller scroller_;
    bool opened_ = false;
};

// Every window opened from now on carries a WindowLifecycle. Safe to call again.
void installWindowLifecycle();

} // namespace qv::qvls
