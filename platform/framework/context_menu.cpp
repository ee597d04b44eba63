#include "platform/framework/context_menu.h"

#include <algorithm>

#include "platform/runtime/keycodes.h"
#include "platform/text/case.h"

namespace qv::fw {

namespace {

rt::WindowDef popupDefinition(const std::vector<PopupMenuWindow::Item>& items, rt::Rect at)
{
    rt::WindowDef def;
    def.name = std::string(PopupMenuWindow::DefinitionName);
    def.kind = rt::WindowKind::PopupMenu;
    def.modal = true;
    def.system = false;
    def.at = at;
    int number = 1;
    for (const auto& item : items) {
        rt::ControlDef c;
        c.type = item.separator ? rt::ControlType::Separator : rt::ControlType::Item;
        c.name = item.separator ? std::string() : item.name;
        c.text = item.text;
        c.disabled = !item.enabled;
        c.number = number++;
        def.controls.push_back(std::move(c));
    }
    return def;
}

std::string withoutMnemonics(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && !(i + 1 < s.size() && s[i + 1] == '&'))
            continue;
        if (s[i] == '&')
            ++i;
        out.push_back(s[i]);
    }
    return out;
}

} // namespace

PopupMenuWindow::PopupMenuWindow(std::vector<Item> items, rt::Rect at)
    : Window(popupDefinition(items, at))
    , items_(std::move(items))
{ }

bool PopupMenuWindow::choose(std::string_view name)
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        if (item.separator || !text::equalsNoCase(item.name, name))
            continue;
        if (!item.enabled)
            return false;
        post(rt::event::Accepted, static_cast<int>(i) + 1);
        return true;
    }
    return false;
}

void PopupMenuWindow::dismiss()
{
    post(rt::event::CloseWindow);
}

void ContextMenu::init(rt::Window& window, int control)
{
    window_ = &window;
    control_ = control;
    window_->alert(rt::key::MouseRight);
}

std::string ContextMenu::add(Entry e, std::string name)
{
    if (name.empty())
        name = withoutMnemonics(e.text);
    if (name.empty())
        name = "Item";
    // Names identify items; a second "Print" becomes "Print2".
    std::string unique = name;
    for (int n = 2; find(unique); ++n)
        unique = name + std::to_string(n);
    e.name = unique;
    entries_.push_back(std::move(e));
    return unique;
}

std::string ContextMenu::addItem(std::string text, std::string name)
{
    Entry e;
    e.kind = Kind::Plain;
    e.text = std::move(text);
    return add(std::move(e), std::move(name));
}

std::string ContextMenu::AddItemForButton(std::string text, int button, std::string name)
{
    Entry e;
    e.kind = Kind::Button;
    e.text = std::move(text);
    e.button = button;
    return add(std::move(e), std::move(name));
}

std::string ContextMenu::AddItemForButton(std::string text, std::string_view buttonName, std::string name)
{
    const rt::Control* c = window_ ? window_->control(buttonName) : nullptr;
    return AddItemForButton(std::move(text), c ? c->number() : 0, std::move(name));
}

std::string ContextMenu::addItemForEvent(std::string text, int event, int control, std::string name)
{
    Entry e;
    e.kind = Kind::Event;
    e.text = std::move(text);
    e.event = event;
    e.button = control;
    return add(std::move(e), std::move(name));
}

void ContextMenu::addSeparator()
{
    Entry e;
    e.kind = Kind::Separator;
    e.text = "-";
    entries_.push_back(std::move(e));
}

void ContextMenu::removeItem(std::string_view name)
{
    std::erase_if(
        entries_, [&](const Entry& e) { return e.kind != Kind::Separator && text::equalsNoCase(e.name, name); });
}

void ContextMenu::setItemEnabled(std::string_view name, bool on)
{
    if (Entry* e = find(name))
        e->enabled = on;
}

void ContextMenu::setItemText(std::string_view name, std::string text)
{
    if (Entry* e = find(name))
        e->text = std::move(text);
}

bool ContextMenu::hasItem(std::string_view name) const
{
    return find(name) != nullptr;
}

ContextMenu::Entry* ContextMenu::find(std::string_view name)
{
    for (Entry& e : entries_)
        if (e.kind != Kind::Separator && text::equalsNoCase(e.name, name))
            return &e;
    return nullptr;
}

const ContextMenu::Entry* ContextMenu::find(std::string_view name) const
{
    return const_cast<ContextMenu*>(this)->find(name);
}

bool ContextMenu::shown(const Entry& e) const
{
    if (e.kind != Kind::Button)
        return true;
    const rt::Control* b = window_ ? window_->control(e.button) : nullptr;
    return b && !b->effectivelyHidden();
}

bool ContextMenu::active(const Entry& e) const
{
    if (!e.enabled || e.kind == Kind::Separator)
        return false;
    if (e.kind != Kind::Button)
        return true;
    const rt::Control* b = window_ ? window_->control(e.button) : nullptr;
    return b && b->enabled() && !b->effectivelyHidden();
}

std::vector<PopupMenuWindow::Item> ContextMenu::items() const
{
    std::vector<PopupMenuWindow::Item> out;
    for (const Entry& e : entries_) {
        if (!shown(e))
            continue;
        if (e.kind == Kind::Separator) {
            // No separator at the top or twice in a row, once items around it went.
            if (out.empty() || out.back().separator)
                continue;
            out.push_back({{}, e.text, false, true});
            continue;
        }
        out.push_back({e.name, e.text, active(e), false});
    }
    if (!out.empty() && out.back().separator)
        out.pop_back();
    return out;
}

std::string ContextMenu::ask(rt::Rect at)
{
    std::vector<PopupMenuWindow::Item> shown = items();
    if (shown.empty())
        return {};
    PopupMenuWindow menu(std::move(shown), at);
    menu.open();
    std::string chosen;
    for (;;) {
        const rt::Event e = menu.waitEvent();
        if (e.code == rt::event::Accepted) {
            const auto& list = menu.items();
            if (e.control >= 1 && e.control <= static_cast<int>(list.size())) {
                const auto& item = list[static_cast<std::size_t>(e.control) - 1];
                if (item.separator || !item.enabled)
                    continue;
                chosen = item.name;
                break;
            }
            continue;
        }
        if (e.code == rt::event::CloseWindow || e.code == rt::event::CloseDown || e.code == rt::event::Rejected)
            break;
    }
    menu.close();
    return chosen;
}

bool ContextMenu::Execute(std::string_view name)
{
    const Entry* e = find(name);
    if (!e || !window_ || !active(*e))
        return false;
    switch (e->kind) {
    case Kind::Button:
        window_->post(rt::event::Accepted, e->button);
        return true;
    case Kind::Event:
        window_->post(e->event, e->button);
        return true;
    default:
        return false;
    }
}

std::string ContextMenu::open(rt::Rect at)
{
    std::string chosen = ask(at);
    if (!chosen.empty())
        Execute(chosen);
    return chosen;
}

void ContextMenu::Prepare(WindowController& controller)
{
    if (!controller.hasWindow())
        return;
    window_ = &controller.window();
    window_->alert(rt::key::MouseRight);
}

bool ContextMenu::OnEvent(const rt::Event& e)
{
    if (e.code != rt::event::AlertKey || e.keyCode != rt::key::MouseRight || !window_)
        return false;
    if (control_ != 0 && e.control != control_)
        return false;
    open();
    return true;
}

} // namespace qv::fw
