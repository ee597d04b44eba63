#include "platform/runtime/headless.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"

namespace qv::rt {

namespace {
// The run time's own dialogs ("$Dialog") are known by their titles.
std::string nameOf(const Window& w)
{
    const std::string& name = w.def().name;
    return name.empty() || name.starts_with('$') ? w.title() : name;
}
} // namespace

HeadlessHost::HeadlessHost()
{
    auto& s = Scheduler::instance();
    s.reset();
    s.setClock([this] { return now_; });
    s.setWakeHandler({});
    s.setFailureHandler(
        [this](const std::string& name, const std::string& what) { failures_.push_back(name + ": " + what); });
    setHost(this);
}

HeadlessHost::~HeadlessHost()
{
    auto& s = Scheduler::instance();
    s.reset();
    s.setFailureHandler({});
    setHost(nullptr);
    // Leave a live clock behind for code that runs after the test.
    const auto start = std::chrono::steady_clock::now();
    s.setClock([start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    });
}

int HeadlessHost::start(std::string name, std::function<void()> body, std::size_t stackBytes)
{
    const int t = Scheduler::instance().start(std::move(name), std::move(body), stackBytes);
    settle();
    return t;
}

int HeadlessHost::startProcedure(std::string_view name)
{
    const auto started = Procedures::start(name);
    settle();
    return started.thread;
}

void HeadlessHost::settle()
{
    auto& s = Scheduler::instance();
    do {
        s.fireTimers();
        s.runReady();
    } while (s.hasReady());
}

void HeadlessHost::advance(std::int64_t milliseconds)
{
    auto& s = Scheduler::instance();
    const std::int64_t end = now_ + milliseconds;
    settle();
    while (now_ < end) {
        const std::int64_t next = s.fireTimers();
        now_ = std::min(end, std::max(next, now_ + 1));
        settle();
    }
}

Window* HeadlessHost::top(int thread) const
{
    return Scheduler::instance().topWindow(thread);
}

Window* HeadlessHost::window(std::string_view nameOrTitle) const
{
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if ((*it)->def().name == nameOrTitle || (*it)->title() == nameOrTitle)
            return *it;
    return nullptr;
}

MessageBoxWindow* HeadlessHost::messageBox() const
{
    return dialog<MessageBoxWindow>();
}

void HeadlessHost::answer(int button)
{
    MessageBoxWindow* m = messageBox();
    if (!m)
        throw std::logic_error("no message box is open");
    m->answer(button);
    settle();
}

namespace {
// A user cannot reach a control that is off or out of sight; a test that
// tries has a fault of its own.
Control& usable(Window& w, std::string_view name)
{
    Control& c = w[name];
    for (const Control* p = &c; p; p = p->parent())
        if (!p->enabled())
            throw std::logic_error("control " + c.name() + " of " + w.def().name + " is disabled");
    if (c.effectivelyHidden())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is hidden");
    return c;
}
} // namespace

void HeadlessHost::press(Window& w, std::string_view control)
{
    w.post(event::Accepted, usable(w, control).number());
    settle();
}

void HeadlessHost::enter(Window& w, std::string_view control, std::string value)
{
    Control& c = usable(w, control);
    if (c.readOnly())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is read-only");
    c.userInput(std::move(value));
    w.post(event::Accepted, c.number());
    settle();
}

void HeadlessHost::type(Window& w, std::string_view control, std::string value)
{
    Control& c = usable(w, control);
    if (c.readOnly())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is read-only");
    w.userFocus(&c);
    c.userInput(std::move(value));
    settle();
}

void HeadlessHost::choose(Window& w, std::string_view control, int choice)
{
    Control& c = usable(w, control);
    c.userSelected(choice);
    // A drop list's choice is made when the list closes on it: the control
    // takes the choice's value and is accepted, as on the desktop.
    const ControlType type = c.type();
    if (type == ControlType::DropList || type == ControlType::DropCombo || type == ControlType::Combo) {
        c.userInput(c.choiceValue(choice));
        w.post(event::Accepted, c.number());
    } else {
        w.post(event::NewSelection, c.number());
    }
    settle();
}

void HeadlessHost::key(Window& w, int keyCode)
{
    if (w.alertKeys().count(keyCode)) {
        const int focus = w.focus() ? w.focus()->number() : 0;
        w.post(Event{event::PreAlertKey, focus, keyCode});
        w.post(Event{event::AlertKey, focus, keyCode});
    }
    settle();
}

void HeadlessHost::drag(
    Window& from, std::string_view list, int row, Window& to, std::string_view targetList, int targetRow)
{
    Control& source = usable(from, list);
    Control& target = usable(to, targetList);
    for (const Control* c : {&source, &target}) {
        if (c->type() != ControlType::List)
            throw std::logic_error("control " + c->name() + " of " + c->window().def().name + " is not a list");
    }
    const auto rows = [](const Control& c) { return c.list() ? c.list()->rowCount() : 0; };
    if (row < 1 || row > rows(source))
        throw std::logic_error(
            "list " + source.name() + " of " + from.def().name + " has no row " + std::to_string(row));
    if (targetRow < 0 || targetRow > rows(target))
        throw std::logic_error(
            "list " + target.name() + " of " + to.def().name + " has no row " + std::to_string(targetRow));
    source.userMouseDown(row);
    if (source.selected() != row) {
        source.userSelected(row);
        from.post(event::NewSelection, source.number());
    }
    source.userDrag(row, target, targetRow);
    settle();
}

void HeadlessHost::post(Window& w, Event e)
{
    w.post(e);
    settle();
}

void HeadlessHost::post(int thread, Event e)
{
    Scheduler::instance().post(thread, e);
    settle();
}

void HeadlessHost::windowOpened(Window& w)
{
    open_.push_back(&w);
    log_.push_back("open " + nameOf(w));
}

void HeadlessHost::windowClosed(Window& w)
{
    std::erase(open_, &w);
    log_.push_back("close " + nameOf(w));
}

void HeadlessHost::beep(int sound)
{
    beeps_.push_back(sound);
    log_.push_back("beep " + std::to_string(sound));
}

} // namespace qv::rt
