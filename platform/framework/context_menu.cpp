#include "platform/framework/context_menu.h"

#include <algorithm>

#include "platform/runtime/keycodes.h"
#include "platform/text/case.h"

namespace qv::fw {

namespace {

bool headsSubmenu(const std::vector<PopupMenuWindow::Item>& items, std::size_t index)
{
    return !items[index].separator && index + 1 < items.size() && items[index + 1].level > items[index].level;
}

rt::ControlType controlType(const PopupMenuWindow::Item& item)
{
    if (item.separator)
        return rt::ControlType::Separator;
    return item.checkable ? rt::ControlType::Check : rt::ControlType::Item;
}

// The controls of the items from `next` up to the first one shallower than
// `level`; an item more than one level below its predecessor stays at the
// deepest open level. Numbers follow the items' order.
std::vector<rt::ControlDef> menuControls(const std::vector<PopupMenuWindow::Item>& items, std::size_t& next, int level)
{
    std::vector<rt::ControlDef> out;
    while (next < items.size() && items[next].level >= level) {
        const std::size_t index = next++;
        const auto& item = items[index];
        rt::ControlDef c;
        c.type = controlType(item);
        c.name = item.separator ? std::string() : item.name;
        c.text = item.text;
        c.disabled = !item.enabled;
        c.number = static_cast<int>(index) + 1;
        if (headsSubmenu(items, index)) {
            c.type = rt::ControlType::Menu;
            c.children = menuControls(items, next, level + 1);
        }
        out.push_back(std::move(c));
    }
    return out;
}

rt::WindowDef popupDefinition(const std::vector<PopupMenuWindow::Item>& items, rt::Rect at)
{
    rt::WindowDef def;
    def.name = std::string(PopupMenuWindow::DefinitionName);
    def.kind = rt::WindowKind::PopupMenu;
    def.modal = true;
    def.system = false;
    def.at = at;
    std::size_t next = 0;
    def.controls = menuControls(items, next, 1);
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
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].checkable && items_[i].checked)
            control(static_cast<int>(i) + 1)->setValue("1");
}

std::vector<PopupMenuWindow::Item> PopupMenuWindow::arranged(std::vector<Item> items)
{
    int above = 0;
    for (Item& item : items)
        if (!item.separator)
            above = item.level = std::clamp(item.level, 1, above + 1);
    int below = 0;
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        if (it->separator)
            it->level = below;
        else
            below = it->level;
    std::vector<Item> out;
    for (Item& item : items) {
        // A separator deeper than the item before it would stand first in its submenu.
        if (item.separator && (out.empty() || out.back().separator || out.back().level < item.level))
            continue;
        out.push_back(std::move(item));
    }
    while (!out.empty() && out.back().separator)
        out.pop_back();
    return out;
}

bool PopupMenuWindow::opensSubmenu(std::size_t index) const
{
    return index < items_.size() && headsSubmenu(items_, index);
}

bool PopupMenuWindow::choosable(std::size_t index) const
{
    if (index >= items_.size() || items_[index].separator || !items_[index].enabled || opensSubmenu(index))
        return false;
    int level = items_[index].level;
    for (std::size_t i = index; i-- > 0 && level > 1;) {
        const Item& above = items_[i];
        if (above.separator || above.level >= level)
            continue;
        // The head of a submenu this item is in: disabled, the submenu does not open.
        if (!above.enabled)
            return false;
        level = above.level;
    }
    return true;
}

bool PopupMenuWindow::choose(std::string_view name)
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].separator || !text::equalsNoCase(items_[i].name, name))
            continue;
        if (!choosable(i))
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

std::string ContextMenu::add(Entry e, std::string name, std::string_view after)
{
    if (name.empty() && e.kind != Kind::Separator)
        name = withoutMnemonics(e.text);
    if (name.empty() && e.kind != Kind::Separator)
        name = "Item";
    // Names identify items; a second "Print" becomes "Print2".
    std::string unique = name;
    for (int n = 2; !name.empty() && find(unique); ++n)
        unique = name + std::to_string(n);
    e.name = unique;
    auto at = after.empty() ? entries_.end() : position(after);
    entries_.insert(at == entries_.end() ? at : at + 1, std::move(e));
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
    add(std::move(e), {});
}

std::string ContextMenu::insertItem(
    std::string text, std::string name, std::string_view after, int level, int event, int control)
{
    Entry e;
    e.kind = event ? Kind::Event : Kind::Plain;
    e.event = event;
    e.button = control;
    e.level = level;
    if (text == "-") {
        e.kind = Kind::Separator;
    } else if (text.starts_with('+')) {
        e.checkable = true;
        text.erase(0, 1);
    }
    e.text = std::move(text);
    return add(std::move(e), std::move(name), after);
}

void ContextMenu::removeItem(std::string_view name)
{
    const auto head = position(name);
    if (head == entries_.end())
        return;
    // Its submenu: the deeper items after it, with the separators between them.
    auto end = head + 1;
    for (auto it = head + 1; it != entries_.end(); ++it) {
        if (it->kind == Kind::Separator)
            continue;
        if (it->level <= head->level)
            break;
        end = it + 1;
    }
    entries_.erase(head, end);
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

void ContextMenu::setItemChecked(std::string_view name, bool on)
{
    if (Entry* e = find(name))
        e->checked = on;
}

bool ContextMenu::itemChecked(std::string_view name) const
{
    const Entry* e = find(name);
    return e && e->checkable && e->checked;
}

bool ContextMenu::hasItem(std::string_view name) const
{
    return find(name) != nullptr;
}

std::vector<ContextMenu::Entry>::iterator ContextMenu::position(std::string_view name)
{
    // Unnamed separators are never found: "" names no item.
    return std::find_if(entries_.begin(), entries_.end(),
        [&](const Entry& e) { return !e.name.empty() && text::equalsNoCase(e.name, name); });
}

ContextMenu::Entry* ContextMenu::find(std::string_view name)
{
    const auto it = position(name);
    return it == entries_.end() ? nullptr : &*it;
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
    for (const Entry& e : entries_)
        if (shown(e))
            out.push_back(
                {e.name, e.text, active(e), e.kind == Kind::Separator, e.level, e.checkable, e.checkable && e.checked});
    return PopupMenuWindow::arranged(std::move(out));
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
            const auto index = static_cast<std::size_t>(e.control - 1);
            if (e.control < 1 || !menu.choosable(index))
                continue;
            chosen = menu.items()[index].name;
            break;
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
    if (!beforeOpen_ || beforeOpen_())
        open();
    return true;
}

} // namespace qv::fw
