#include "qvls/core/mouse_wheel.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_source.h"
#include "platform/runtime/window.h"
#include "qvls/core/globals.h"

namespace qv::qvls {

namespace {

constexpr int kNotch = 120;

std::map<const rt::Window*, MouseWheelScroller*>& registry()
{
    static std::map<const rt::Window*, MouseWheelScroller*> r;
    return r;
}

bool scrollable(rt::ControlType t)
{
    switch (t) {
    case rt::ControlType::Text:
    case rt::ControlType::List:
    case rt::ControlType::Combo:
    case rt::ControlType::DropCombo:
    case rt::ControlType::DropList:
        return true;
    default:
        return false;
    }
}

} // namespace

MouseWheelScroller::~MouseWheelScroller()
{
    Remove();
}

void MouseWheelScroller::Install(rt::Window& window)
{
    if (window_ || registry().count(&window))
        return;
    targets_.clear();
    for (const auto& c : window.controls())
        if (scrollable(c->type()))
            targets_.push_back(c->number());
    std::sort(targets_.begin(), targets_.end());
    if (targets_.empty())
        return;
    registry()[&window] = this;
    window_ = &window;
    pendingDelta_ = 0;
    window.alert(rt::event::MouseWheel);
}

void MouseWheelScroller::Remove()
{
    targets_.clear();
    if (!window_)
        return;
    if (const auto it = registry().find(window_); it != registry().end() && it->second == this) {
        registry().erase(it);
        window_->unalert(rt::event::MouseWheel);
    }
    window_ = nullptr;
}

bool MouseWheelScroller::handleWheel(const rt::Event& e)
{
    if (e.code != rt::event::MouseWheel || !window_)
        return false;
    // A fine-grained wheel sends parts of a notch; they add up per window, and
    // a turn the other way starts afresh.
    if ((pendingDelta_ > 0 && e.keyCode < 0) || (pendingDelta_ < 0 && e.keyCode > 0))
        pendingDelta_ = 0;
    pendingDelta_ += e.keyCode;
    TURNS = std::abs(pendingDelta_) / kNotch;
    if (TURNS == 0)
        return true;
    const bool down = pendingDelta_ < 0;
    pendingDelta_ %= kNotch;
    mouseControl_ = e.control;
    down ? scrollDown() : scrollUp();
    return true;
}

int MouseWheelScroller::findTargetList(int controlUnderMouse) const
{
    if (!window_)
        return 0;
    auto isTarget = [&](int n) { return std::binary_search(targets_.begin(), targets_.end(), n); };
    if (const rt::Control* f = window_->focus(); f && isTarget(f->number()))
        return f->number();
    // The host names the control under the mouse, or a part of one (a list's
    // column header): the nearest enclosing target counts.
    for (const rt::Control* c = window_->control(controlUnderMouse); c; c = c->parent())
        if (isTarget(c->number()) && !c->effectivelyHidden())
            return c->number();
    for (int n : targets_)
        if (const rt::Control* c = window_->control(n); c && !c->effectivelyHidden())
            return n;
    return 0;
}

void MouseWheelScroller::scrollUp()
{
    scroll(false);
}

void MouseWheelScroller::scrollDown()
{
    scroll(true);
}

void MouseWheelScroller::scroll(bool down)
{
    const int target = findTargetList(mouseControl_);
    if (target == 0)
        return;
    rt::Control& c = *window_->control(target);
    for (int i = 0; i < TURNS; ++i) {
        if (c.type() == rt::ControlType::Text) {
            // A text box gets the focus and an arrow key's line.
            window_->select(c);
            c.scrollLines(down ? 1 : -1);
            continue;
        }
        if (c.immediate()) {
            window_->post(down ? rt::event::ScrollDown : rt::event::ScrollUp, target);
            continue;
        }
        const int rows = c.list() ? c.list()->rowCount() : 0;
        const int row = c.selected();
        const int next = down ? std::min(row + 1, rows) : std::max(row - 1, rows > 0 ? 1 : 0);
        if (next != row) {
            c.setSelected(next);
            window_->post(rt::event::NewSelection, target);
        }
    }
}

bool MouseWheelScroller::installedOn(const rt::Window& window)
{
    return registry().count(&window) != 0;
}

std::size_t MouseWheelScroller::installedCount()
{
    return registry().size();
}

void installScroller(MouseWheelScroller& scroller, rt::Window& window)
{
    if (!glo().noMouse)
        scroller.Install(window);
}

void removeScroller(MouseWheelScroller& scroller)
{
    if (!glo().noMouse)
        scroller.Remove();
}

} // namespace qv::qvls
