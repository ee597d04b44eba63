#pragma once
// Gives the mouse wheel to the lists of a window: each notch moves the list
// the user means by one row, through the list's own events, so page-loaded
// lists read on as they do for the arrow keys.

#include <cstddef>
#include <vector>

#include "platform/framework/window_controller.h"

namespace qv::qvls {

class MouseWheelScroller : public fw::WindowComponent
{
public:
    MouseWheelScroller() = default;
    ~MouseWheelScroller() override;
    MouseWheelScroller(const MouseWheelScroller&) = delete;
    MouseWheelScroller& operator=(const MouseWheelScroller&) = delete;

    // After the window has opened. A window without lists, combos or text
    // boxes is left alone; a window is taken at most once.
    void Install(rt::Window& window);
    void Remove();
    bool installed() const { return window_ != nullptr; }

    // A wheel event of the window: true when it was taken.
    bool handleWheel(const rt::Event& e);
    // The control to scroll: the focused scrollable control, else the one
    // under the mouse, else the first visible one; 0 for none.
    int findTargetList(int controlUnderMouse) const;
    void scrollUp();
    void scrollDown();

    // Whole notches of the wheel event being handled.
    int TURNS = 0;

    bool OnEvent(const rt::Event& e) override { return handleWheel(e); }

    // The windows that have a scroller now.
    static bool installedOn(const rt::Window& window);
    static std::size_t installedCount();

private:
    void scroll(bool down);

    rt::Window* window_ = nullptr;
    std::vector<int> targets_; // ascending control numbers
    int pendingDelta_ = 0; // fine-grained wheels: the part of a notch not yet scrolled
    int mouseControl_ = 0;
};

// Installs the scroller unless "/NOMOUSE" was given.
void installScroller(MouseWheelScroller& scroller, rt::Window& window);
void removeScroller(MouseWheelScroller& scroller);

} // namespace qv::qvls
