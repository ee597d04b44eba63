#include "platform/framework/toolbar_dispatcher.h"

#include <algorithm>

#include "platform/runtime/keycodes.h"

namespace qv::fw {

namespace {

constexpr int AltRight = rt::key::withAlt(rt::key::Right);
constexpr int AltLeft = rt::key::withAlt(rt::key::Left);

using Action = ToolbarDispatcher::Action;

// Windows on every thread share the one frame toolbar; only one program
// thread runs at a time, so plain globals serve.
struct FrameState {
    rt::Window* frame = nullptr;
    std::vector<std::pair<Action, int>> buttons;
    std::vector<ToolbarDispatcher*> activation; // most recently active last
};

FrameState& state()
{
    static FrameState s;
    return s;
}

int scrollEvent(Action a)
{
    switch (a) {
    case Action::Top:
        return rt::event::ScrollTop;
    case Action::Bottom:
        return rt::event::ScrollBottom;
    case Action::PageUp:
        return rt::event::PageUp;
    case Action::PageDown:
        return rt::event::PageDown;
    case Action::Up:
        return rt::event::ScrollUp;
    case Action::Down:
        return rt::event::ScrollDown;
    default:
        return 0;
    }
}

} // namespace

ToolbarDispatcher::~ToolbarDispatcher()
{
    deactivate();
}

void ToolbarDispatcher::addListTarget(int listControl, ListButtons buttons)
{
    lists_.push_back({listControl, buttons});
    if (!targetSet_ && target_ == 0)
        target_ = listControl;
}

void ToolbarDispatcher::setFormTarget(int historyKey, bool recordNavigation, int helpButton)
{
    historyKey_ = historyKey;
    navigation_ = recordNavigation;
    helpButton_ = helpButton;
}

void ToolbarDispatcher::setTarget(int control)
{
    target_ = control;
    targetSet_ = true;
    if (active() == this)
        syncFrame();
}

const ToolbarDispatcher::ListTarget* ToolbarDispatcher::currentList() const
{
    if (target_ == 0)
        return nullptr;
    for (const ListTarget& t : lists_)
        if (t.list == target_)
            return &t;
    return nullptr;
}

bool ToolbarDispatcher::controlActs(int control) const
{
    if (control == 0 || !window_)
        return false;
    const rt::Control* c = window_->control(control);
    return c && c->enabled() && !c->effectivelyHidden();
}

bool ToolbarDispatcher::keyActs(int key) const
{
    return key != 0 && window_ && window_->alertKeys().count(key) != 0;
}

bool ToolbarDispatcher::enabled(Action action) const
{
    if (!window_ || !window_->isOpen())
        return false;
    const ListTarget* list = currentList();
    switch (action) {
    case Action::Insert:
        return list && controlActs(list->buttons.insert);
    case Action::Change:
        return list && controlActs(list->buttons.change);
    case Action::Delete:
        return list && controlActs(list->buttons.delete_);
    case Action::Select:
        return list && controlActs(list->buttons.select);
    case Action::Top:
    case Action::Bottom:
    case Action::PageUp:
    case Action::PageDown:
    case Action::Up:
    case Action::Down:
        return list && controlActs(list->list);
    case Action::NextRecord:
        return !list && navigation_ && keyActs(AltRight);
    case Action::PreviousRecord:
        return !list && navigation_ && keyActs(AltLeft);
    case Action::History:
        return !list && keyActs(historyKey_);
    case Action::Help:
        return controlActs(helpButton_);
    }
    return false;
}

bool ToolbarDispatcher::forward(Action action)
{
    if (!enabled(action))
        return false;
    const ListTarget* list = currentList();
    const int focus = window_->focus() ? window_->focus()->number() : 0;
    switch (action) {
    case Action::Insert:
        window_->post(rt::event::Accepted, list->buttons.insert);
        break;
    case Action::Change:
        window_->post(rt::event::Accepted, list->buttons.change);
        break;
    case Action::Delete:
        window_->post(rt::event::Accepted, list->buttons.delete_);
        break;
    case Action::Select:
        window_->post(rt::event::Accepted, list->buttons.select);
        break;
    case Action::NextRecord:
        window_->post(rt::Event{rt::event::AlertKey, focus, AltRight});
        break;
    case Action::PreviousRecord:
        window_->post(rt::Event{rt::event::AlertKey, focus, AltLeft});
        break;
    case Action::History:
        window_->post(rt::Event{rt::event::AlertKey, focus, historyKey_});
        break;
    case Action::Help:
        window_->post(rt::event::Accepted, helpButton_);
        break;
    default:
        window_->post(rt::Event{scrollEvent(action), list->list});
        break;
    }
    return true;
}

void ToolbarDispatcher::attachFrame(rt::Window& frame, std::vector<std::pair<Action, std::string>> buttons)
{
    FrameState& s = state();
    s.frame = &frame;
    s.buttons.clear();
    for (const auto& [action, name] : buttons)
        if (const rt::Control* c = frame.control(name))
            s.buttons.emplace_back(action, c->number());
    syncFrame();
}

std::vector<std::pair<Action, std::string>> ToolbarDispatcher::defaultFrameButtons()
{
    return {
        {Action::Insert, "?Toolbar:Insert"},
        {Action::Change, "?Toolbar:Change"},
        {Action::Delete, "?Toolbar:Delete"},
        {Action::Select, "?Toolbar:Select"},
        {Action::Top, "?Toolbar:Top"},
        {Action::Bottom, "?Toolbar:Bottom"},
        {Action::PageUp, "?Toolbar:PageUp"},
        {Action::PageDown, "?Toolbar:PageDown"},
        {Action::Up, "?Toolbar:Up"},
        {Action::Down, "?Toolbar:Down"},
        {Action::NextRecord, "?Toolbar:NextRecord"},
        {Action::PreviousRecord, "?Toolbar:PreviousRecord"},
        {Action::History, "?Toolbar:History"},
        {Action::Help, "?Toolbar:Help"},
    };
}

void ToolbarDispatcher::detachFrame()
{
    state().frame = nullptr;
    state().buttons.clear();
}

bool ToolbarDispatcher::frameAccepted(int control)
{
    FrameState& s = state();
    for (const auto& [action, number] : s.buttons) {
        if (number != control)
            continue;
        if (ToolbarDispatcher* dispatcher = active())
            dispatcher->forward(action);
        return true;
    }
    return false;
}

void ToolbarDispatcher::syncFrame()
{
    FrameState& s = state();
    if (!s.frame)
        return;
    ToolbarDispatcher* dispatcher = active();
    for (const auto& [action, number] : s.buttons)
        if (rt::Control* c = s.frame->control(number)) {
            const bool on = dispatcher && dispatcher->enabled(action);
            if (c->enabled() != on)
                c->setEnabled(on);
        }
}

ToolbarDispatcher* ToolbarDispatcher::active()
{
    auto& a = state().activation;
    return a.empty() ? nullptr : a.back();
}

void ToolbarDispatcher::activate()
{
    auto& a = state().activation;
    std::erase(a, this);
    a.push_back(this);
    syncFrame();
}

void ToolbarDispatcher::deactivate()
{
    auto& a = state().activation;
    const bool was = std::find(a.begin(), a.end(), this) != a.end();
    std::erase(a, this);
    if (was)
        syncFrame();
}

void ToolbarDispatcher::Prepare(WindowController& controller)
{
    if (!controller.hasWindow())
        return;
    window_ = &controller.window();
    activate();
}

void ToolbarDispatcher::CleanUp()
{
    deactivate();
    window_ = nullptr;
}

bool ToolbarDispatcher::OnEvent(const rt::Event& e)
{
    if (!window_)
        return false;
    if (e.code == rt::event::GainFocus) {
        activate();
        return false;
    }
    if (e.code == rt::event::Selected)
        for (const ListTarget& t : lists_)
            if (t.list == e.control) {
                target_ = e.control;
                break;
            }
    // The buttons follow what the previous event left; the event itself is
    // still to be handled, and Refresh catches what it changes.
    if (active() == this)
        syncFrame();
    return false;
}

void ToolbarDispatcher::Refresh()
{
    if (active() == this)
        syncFrame();
}

} // namespace qv::fw
