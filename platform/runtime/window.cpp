#include "platform/runtime/window.h"

#include <algorithm>
#include <utility>

#include <stdexcept>

#include "platform/runtime/scheduler.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::rt {

namespace {
HostObserver* currentHost = nullptr;
PictureHooks pictureHooks;

// The drop waits until the source has handled its Dragging event, so that
// the text the source hands over is there when the target reads it, on
// whichever thread each runs. One mouse, so one drop at a time.
struct PendingDrop {
    Control* source = nullptr;
    Control* target = nullptr;
    bool taken = false; // the source's thread has its Dragging event
};
PendingDrop pendingDrop;

void deliverDrop()
{
    const PendingDrop d = std::exchange(pendingDrop, {});
    if (!d.target)
        return;
    d.target->setDropText(d.source->dropText());
    d.target->window().post(event::Drop, d.target->number());
}
} // namespace

void setHost(HostObserver* h)
{
    currentHost = h;
}

HostObserver* host()
{
    return currentHost;
}

void setPictureHooks(PictureHooks hooks)
{
    pictureHooks = std::move(hooks);
}

std::string formatPicture(const std::string& value, const std::string& picture)
{
    return picture.empty() || !pictureHooks.format ? value : pictureHooks.format(value, picture);
}

std::string deformatPicture(const std::string& text, const std::string& picture)
{
    return picture.empty() || !pictureHooks.deformat ? text : pictureHooks.deformat(text, picture);
}

// ---------------------------------------------------------------- Control

Control::Control(Window& window, const ControlDef& def, Control* parent)
    : window_(window)
    , def_(def)
    , parent_(parent)
    , text_(def.text)
    , status_(def.msg)
    , tip_(def.tip)
    , picture_(def.picture)
    , format_(def.format)
    , at_(def.at)
    , font_(def.font)
    , enabled_(!def.disabled)
    , hidden_(def.hidden)
    , required_(def.required)
    , default_(def.isDefault)
    , immediate_(def.immediate)
    , readOnly_(def.readOnly)
    , skip_(def.skip)
    , dragId_(def.drag)
    , dropId_(def.drop)
{
    // A list's scroll bars are properties a program may read and switch.
    if (def.type == ControlType::List) {
        if (def.hscroll)
            properties_[list_prop::HScroll] = "1";
        if (def.vscroll)
            properties_[list_prop::VScroll] = "1";
    }
}

void Control::changed(ControlChange what)
{
    if (window_.isOpen() && currentHost)
        currentHost->controlChanged(*this, what);
}

void Control::setText(std::string text)
{
    if (text == text_)
        return;
    text_ = std::move(text);
    changed(ControlChange::Text);
}

void Control::setValue(std::string value)
{
    if (value == value_)
        return;
    value_ = std::move(value);
    changed(ControlChange::Value);
}

void Control::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    changed(ControlChange::Enabled);
}

void Control::setHidden(bool on)
{
    if (on == hidden_)
        return;
    hidden_ = on;
    changed(ControlChange::Hidden);
}

bool Control::effectivelyHidden() const
{
    for (const Control* c = this; c; c = c->parent_)
        if (c->hidden_)
            return true;
    return false;
}

void Control::setRequired(bool on)
{
    if (on == required_)
        return;
    required_ = on;
    changed(ControlChange::Marks);
}

void Control::setReadOnly(bool on)
{
    if (on == readOnly_)
        return;
    readOnly_ = on;
    changed(ControlChange::Access);
}

void Control::setSkip(bool on)
{
    if (on == skip_)
        return;
    skip_ = on;
    changed(ControlChange::Access);
}

void Control::setDefault(bool on)
{
    if (on == default_)
        return;
    default_ = on;
    changed(ControlChange::Marks);
}

void Control::setImmediate(bool on)
{
    if (on == immediate_)
        return;
    immediate_ = on;
    changed(ControlChange::Marks);
}

void Control::setStatusText(std::string text)
{
    status_ = std::move(text);
    changed(ControlChange::Marks);
}

void Control::setToolTip(std::string text)
{
    tip_ = std::move(text);
    changed(ControlChange::Marks);
}

void Control::setPicture(std::string picture)
{
    picture_ = std::move(picture);
    changed(ControlChange::Property);
}

void Control::setFormat(std::string format)
{
    format_ = std::move(format);
    changed(ControlChange::List);
}

void Control::setGeometry(Rect at)
{
    at_ = at;
    changed(ControlChange::Geometry);
}

void Control::setFont(FontDef font)
{
    font_ = std::move(font);
    changed(ControlChange::Font);
}

void Control::setList(ListSource* source)
{
    list_ = source;
    changed(ControlChange::List);
}

void Control::setSelected(int choice)
{
    if (choice == selected_)
        return;
    selected_ = choice;
    changed(ControlChange::Selection);
}

void Control::scrollLines(int lines)
{
    scrollLines_ += lines;
    changed(ControlChange::Scroll);
}

int Control::takeScrollLines()
{
    return std::exchange(scrollLines_, 0);
}

std::string Control::property(int id) const
{
    const auto it = properties_.find(id);
    return it == properties_.end() ? std::string() : it->second;
}

void Control::setProperty(int id, std::string value)
{
    properties_[id] = std::move(value);
    changed(ControlChange::Property);
}

namespace {
// A check box stands for two values of its variable: its own value (1 unless
// the definition gives one) when ticked, 0 when not.
std::string checkedValue(const ControlDef& def)
{
    return def.value.empty() ? "1" : def.value;
}

bool isChecked(const ControlDef& def, std::string_view value)
{
    if (!def.value.empty())
        return value == def.value;
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    return !value.empty() && value != "0";
}
} // namespace

void Control::display()
{
    if (!use_.get)
        return;
    if (type() == ControlType::Check) {
        setValue(isChecked(def_, use_.get()) ? checkedValue(def_) : std::string());
        return;
    }
    setValue(formatPicture(use_.get(), picture_));
}

void Control::update()
{
    // A text shown is never typed into: it gives nothing back, and must not
    // put back a value another control of the same variable has changed.
    if (!use_.set || type() == ControlType::String || type() == ControlType::Prompt)
        return;
    if (type() == ControlType::Check) {
        use_.set(value_.empty() || value_ == "0" ? "0" : checkedValue(def_));
        return;
    }
    use_.set(deformatPicture(value_, picture_));
}

void Control::userInput(std::string value)
{
    value_ = std::move(value);
    auto& pending = window_.typedInto_;
    if (std::find(pending.begin(), pending.end(), this) == pending.end())
        pending.push_back(this);
}

void Control::userSelected(int choice)
{
    selected_ = choice;
}

std::vector<std::string> Control::fixedChoiceValues() const
{
    std::vector<std::string> values;
    if (def_.from.empty())
        return values;
    for (const std::string& part : text::split(def_.from, '|')) {
        if (!part.empty() && part[0] == '#' && !values.empty())
            values.back() = part.substr(1);
        else
            values.push_back(part);
    }
    return values;
}

std::string Control::choiceValue(int choice) const
{
    if (list_)
        return choice >= 1 && choice <= list_->rowCount() ? list_->cell(choice - 1, 0) : std::string();
    const std::vector<std::string> values = fixedChoiceValues();
    return choice >= 1 && choice <= static_cast<int>(values.size()) ? values[choice - 1] : std::string();
}

void Control::userListMouse(ListMouse what, const ListHit& at)
{
    switch (what) {
    case ListMouse::LeftDown:
    case ListMouse::RightDown:
        listPress_ = at;
        break;
    case ListMouse::LeftUp:
    case ListMouse::RightUp:
        listRelease_ = at;
        break;
    case ListMouse::Move:
        listMove_ = at;
        break;
    }
    if (listMouseHook_)
        listMouseHook_(what, at);
}

void Control::userProperty(int id, std::string value)
{
    properties_[id] = std::move(value);
}

bool Control::acceptsDropFrom(const Control& source) const
{
    return !source.dragId_.empty() && text::equalsNoCase(source.dragId_, dropId_);
}

bool Control::userDrag(int fromRow, Control& target, int toRow)
{
    if (!target.acceptsDropFrom(*this) || !window_.isOpen() || !target.window_.isOpen())
        return false;
    deliverDrop(); // a drop still waiting for its source goes first
    mouseDownRow_ = fromRow;
    target.mouseUpRow_ = toRow;
    dropText_ = dragId_;
    pendingDrop = PendingDrop{this, &target, false};
    window_.post(event::Dragging, number());
    return true;
}

// ---------------------------------------------------------------- Window

void KeySet::insert(int key)
{
    // Keys added in ascending order go on at the end without a search.
    if (keys_.empty() || keys_.back() < key) {
        keys_.push_back(key);
        return;
    }
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (*at != key)
        keys_.insert(at, key);
}

void KeySet::erase(int key)
{
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (at != keys_.end() && *at == key)
        keys_.erase(at);
}

Window::Window(WindowDef def)
    : Window(std::make_shared<const WindowDef>(std::move(def)))
{ }

Window::Window(std::shared_ptr<const WindowDef> def)
    : def_(std::move(def))
    , title_(def_->title)
    , at_(def_->at)
    , minWidth_(def_->minWidth)
    , minHeight_(def_->minHeight)
    , hidden_(def_->hidden)
    , iconized_(def_->iconized)
    , maximized_(def_->maximized)
    , timer_(def_->timer)
{
    for (int k : def_->alertKeys)
        alertKeys_.insert(k);
    build(def_->menubar, nullptr);
    build(def_->toolbar, nullptr);
    build(def_->controls, nullptr);
}

std::unique_ptr<Window> Window::load(std::string_view module, std::string_view name)
{
    return std::make_unique<Window>(sharedWindowDef(module, name));
}

Window::~Window()
{
    close();
}

void Window::build(const std::vector<ControlDef>& defs, Control* parent)
{
    for (const ControlDef& d : defs) {
        controls_.push_back(std::make_unique<Control>(*this, d, parent));
        Control* c = controls_.back().get();
        if (parent)
            parent->children_.push_back(c);
        if (!d.name.empty())
            byName_[text::asciiLower(d.name)] = c;
        build(d.children, c);
    }
}

void Window::open()
{
    if (open_)
        return;
    Scheduler::instance().pushWindow(*this);
    open_ = true;
    if (currentHost)
        currentHost->windowOpened(*this);
    post(event::OpenWindow);
    post(event::GainFocus);
}

void Window::close()
{
    if (!open_)
        return;
    open_ = false;
    if (pendingDrop.target && &pendingDrop.target->window() == this)
        pendingDrop = {}; // nothing left to drop on
    else if (pendingDrop.source && &pendingDrop.source->window() == this)
        deliverDrop();
    Scheduler::instance().removeWindow(*this);
    events_.clear();
    if (currentHost)
        currentHost->windowClosed(*this);
    // The window below, if any, is active again.
    if (Window* below = Scheduler::instance().topWindow(thread_))
        below->post(event::GainFocus);
}

Event Window::waitEvent()
{
    applyUserInput(); // what was typed before the program last looked
    if (pendingDrop.taken && &pendingDrop.source->window() == this)
        deliverDrop();
    const Event e = Scheduler::instance().waitEvent(*this);
    if (e.code == event::Dragging && pendingDrop.source && &pendingDrop.source->window() == this
        && e.control == pendingDrop.source->number())
        pendingDrop.taken = true;
    applyUserInput();
    return e;
}

void Window::applyUserInput()
{
    std::vector<Control*> pending;
    pending.swap(typedInto_);
    for (Control* c : pending)
        c->update();
}

void Window::post(int code, int control)
{
    post(Event{code, control});
}

void Window::post(Event e)
{
    Scheduler::instance().post(*this, e);
}

Control* Window::control(std::string_view name) const
{
    const auto it = byName_.find(text::asciiLower(name));
    return it == byName_.end() ? nullptr : it->second;
}

Control* Window::control(int number) const
{
    // Numbers are given in document order, which is the order of controls_.
    if (number < 1 || number > static_cast<int>(controls_.size())) {
        const auto it = added_.find(number);
        return it == added_.end() ? nullptr : it->second.control.get();
    }
    return controls_[number - 1].get();
}

Control& Window::createControl(ControlDef def)
{
    const int number = def.number;
    if (number <= static_cast<int>(controls_.size()) || added_.contains(number))
        throw std::logic_error("window " + def_->name + " already has a control numbered " + std::to_string(number));
    Added& a = added_[number];
    a.def = std::make_unique<ControlDef>(std::move(def));
    a.control = std::make_unique<Control>(*this, *a.def, nullptr);
    a.control->changed(ControlChange::Created);
    return *a.control;
}

void Window::destroyControl(int number)
{
    const auto it = added_.find(number);
    if (it == added_.end())
        return;
    Control* c = it->second.control.get();
    c->changed(ControlChange::Destroyed);
    if (focus_ == c)
        focus_ = nullptr;
    std::erase(typedInto_, c);
    added_.erase(it);
}

std::vector<Control*> Window::addedControls() const
{
    std::vector<Control*> out;
    for (const auto& [number, a] : added_)
        out.push_back(a.control.get());
    return out;
}

Control& Window::operator[](std::string_view name) const
{
    if (Control* c = control(name))
        return *c;
    throw std::logic_error("window " + def_->name + " has no control " + std::string(name));
}

Control* Window::control(ControlId id) const
{
    Control* c = control(id.number);
    if (c && !id.name.empty() && text::equalsNoCase(c->name(), id.name))
        return c;
    throw std::logic_error(
        "window " + def_->name + " has no control " + std::string(id.name) + " numbered " + std::to_string(id.number));
}

Control& Window::operator[](ControlId id) const
{
    return *control(id);
}

void Window::changed(WindowChange what)
{
    if (open_ && currentHost)
        currentHost->windowChanged(*this, what);
}

void Window::setTitle(std::string title)
{
    title_ = std::move(title);
    changed(WindowChange::Title);
}

void Window::setHidden(bool on)
{
    hidden_ = on;
    changed(WindowChange::Hidden);
}

void Window::setIconized(bool on)
{
    iconized_ = on;
    changed(WindowChange::Iconized);
}

void Window::setMaximized(bool on)
{
    maximized_ = on;
    changed(WindowChange::Maximized);
}

void Window::setGeometry(Rect at)
{
    at_ = at;
    changed(WindowChange::Geometry);
}

void Window::setMinSize(int width, int height)
{
    minWidth_ = width;
    minHeight_ = height;
    changed(WindowChange::MinSize);
}

void Window::setTimer(int hundredths)
{
    timer_ = hundredths;
    if (open_)
        Scheduler::instance().windowTimerChanged(*this);
}

std::string Window::statusText(int zone) const
{
    const auto it = status_.find(zone);
    return it == status_.end() ? std::string() : it->second;
}

void Window::setStatusText(int zone, std::string text)
{
    status_[zone] = std::move(text);
    changed(WindowChange::StatusText);
}

void Window::alert(int keyCode)
{
    alertKeys_.insert(keyCode);
    changed(WindowChange::AlertKeys);
}

void Window::alert(const std::vector<int>& keyCodes)
{
    for (int k : keyCodes)
        alertKeys_.insert(k);
    changed(WindowChange::AlertKeys);
}

void Window::unalert(int keyCode)
{
    alertKeys_.erase(keyCode);
    changed(WindowChange::AlertKeys);
}

Control* Window::firstFocusable() const
{
    for (const auto& c : controls_) {
        switch (c->def().type) {
        case ControlType::Entry:
        case ControlType::Button:
        case ControlType::Check:
        case ControlType::List:
        case ControlType::Combo:
        case ControlType::Spin:
        case ControlType::Text:
        case ControlType::Radio:
        case ControlType::DropCombo:
        case ControlType::DropList:
            if (c->enabled() && !c->effectivelyHidden() && !c->skip())
                return c.get();
            break;
        default:
            break;
        }
    }
    return nullptr;
}

void Window::select(Control& control)
{
    focus_ = &control;
    changed(WindowChange::Focus);
}

void Window::activate()
{
    iconized_ = false;
    changed(WindowChange::Activate);
}

void Window::display()
{
    for (auto& c : controls_)
        c->display();
}

void Window::update()
{
    for (auto& c : controls_)
        c->update();
}

void Window::userGeometry(Rect at)
{
    at_ = at;
}

void Window::userState(bool maximized, bool iconized)
{
    maximized_ = maximized;
    iconized_ = iconized;
}

void Window::userFocus(Control* control)
{
    focus_ = control;
}

Rect Window::area() const
{
    Rect r{0, 0, at_.width, at_.height};
    if (areaWidth_ >= 0 && areaHeight_ >= 0) {
        r.width = areaWidth_;
        r.height = areaHeight_;
    }
    return r;
}

bool Window::userArea(int width, int height)
{
    if (width == areaWidth_ && height == areaHeight_)
        return false;
    areaWidth_ = width;
    areaHeight_ = height;
    return true;
}

} // namespace qv::rt
