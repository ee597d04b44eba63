#include "platform/framework/control_resizer.h"

#include <algorithm>
#include <cmath>

namespace qv::fw {

namespace {

bool grows(rt::ControlType t)
{
    switch (t) {
    case rt::ControlType::List:
    case rt::ControlType::Text:
    case rt::ControlType::Sheet:
    case rt::ControlType::Group:
    case rt::ControlType::Option:
    case rt::ControlType::Panel:
    case rt::ControlType::Box:
    case rt::ControlType::Region:
        return true;
    default:
        return false;
    }
}

// Menu items and tabs have no place of their own on the window's canvas.
bool placedOnCanvas(rt::ControlType t)
{
    return t != rt::ControlType::Menu && t != rt::ControlType::Item && t != rt::ControlType::Separator
        && t != rt::ControlType::Tab;
}

int scaled(int v, int now, int design)
{
    return static_cast<int>(std::lround(static_cast<double>(v) * now / design));
}

int position(ControlResizer::Anchor a, int pos, int now, int design)
{
    switch (a) {
    case ControlResizer::Anchor::Relative:
        return scaled(pos, now, design);
    case ControlResizer::Anchor::Start:
        return pos;
    case ControlResizer::Anchor::End:
        return pos + (now - design);
    }
    return pos;
}

int extent(ControlResizer::Grow g, int size, int now, int design)
{
    switch (g) {
    case ControlResizer::Grow::Fixed:
        return size;
    case ControlResizer::Grow::Relative:
        return std::max(1, scaled(size, now, design));
    case ControlResizer::Grow::Stretch:
        return std::max(1, size + (now - design));
    }
    return size;
}

} // namespace

void ControlResizer::init(rt::Window& window, int strategy)
{
    window_ = &window;
    strategy_ = strategy;
    // The definition is the design: a placement restored before the window
    // opened must not become it.
    design_ = window.def().at;
    controls_.clear();
    // Menu bar and tool bar controls come first in number order and live
    // outside the canvas.
    int outside = 0;
    rt::forEachControl(window.def().menubar, [&](const rt::ControlDef&) { ++outside; });
    rt::forEachControl(window.def().toolbar, [&](const rt::ControlDef&) { ++outside; });
    for (const auto& c : window.controls()) {
        if (c->number() <= outside || !placedOnCanvas(c->type()))
            continue;
        const rt::Rect at = c->def().at;
        if (at.x < 0 && at.y < 0 && at.width < 0 && at.height < 0)
            continue;
        controls_.push_back({c.get(), at});
    }
}

void ControlResizer::setStrategy(int control, Rule rule)
{
    rules_[control] = rule;
}

void ControlResizer::setStrategy(int from, int to, Rule rule)
{
    for (int c = from; c <= to; ++c)
        rules_[c] = rule;
}

void ControlResizer::setMinSize(int width, int height)
{
    minWidth_ = width;
    minHeight_ = height;
    if (window_)
        window_->setMinSize(width, height);
}

void ControlResizer::setMinSizeToDesign()
{
    const rt::Rect at = window_ ? window_->def().at : design_;
    setMinSize(std::max(at.width, 0), std::max(at.height, 0));
}

ControlResizer::Rule ControlResizer::ruleFor(const rt::Control& control) const
{
    if (const auto it = rules_.find(control.number()); it != rules_.end())
        return it->second;
    Rule r;
    if (strategy_ == NoStrategy) {
        r.x = r.y = Anchor::Start;
        return r;
    }
    if (grows(control.type()))
        r.width = r.height = Grow::Relative;
    return r;
}

void ControlResizer::resize()
{
    if (!window_ || design_.width <= 0 || design_.height <= 0)
        return;
    rt::Rect now = window_->geometry();
    if (now.width < 0 || now.height < 0)
        return;
    const int minW = std::max(window_->minWidth(), 0);
    const int minH = std::max(window_->minHeight(), 0);
    if (now.width < minW || now.height < minH) {
        now.width = std::max(now.width, minW);
        now.height = std::max(now.height, minH);
        window_->setGeometry(now);
    }
    for (const Design& d : controls_) {
        const Rule r = ruleFor(*d.control);
        rt::Rect at = d.at;
        if (d.at.x >= 0)
            at.x = std::max(0, position(r.x, d.at.x, now.width, design_.width));
        if (d.at.y >= 0)
            at.y = std::max(0, position(r.y, d.at.y, now.height, design_.height));
        if (d.at.width >= 0)
            at.width = extent(r.width, d.at.width, now.width, design_.width);
        if (d.at.height >= 0)
            at.height = extent(r.height, d.at.height, now.height, design_.height);
        const rt::Rect was = d.control->geometry();
        if (at.x != was.x || at.y != was.y || at.width != was.width || at.height != was.height)
            d.control->setGeometry(at);
    }
}

void ControlResizer::Prepare(WindowController& controller)
{
    if (!controller.hasWindow())
        return;
    init(controller.window(), strategy_);
    if (minWidth_ >= 0 || minHeight_ >= 0)
        window_->setMinSize(std::max(minWidth_, 0), std::max(minHeight_, 0));
}

void ControlResizer::CleanUp()
{
    controls_.clear();
    window_ = nullptr;
}

bool ControlResizer::OnEvent(const rt::Event& e)
{
    // Opening: the placement restored while the window was set up may have
    // changed its size without a Sized event.
    if (e.code == rt::event::Sized || e.code == rt::event::OpenWindow)
        resize();
    return false;
}

} // namespace qv::fw
