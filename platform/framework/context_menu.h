#pragma once
// The right-click menu of a control. Its items press buttons of the window
// (and follow those buttons: disabled with them, left out while they are
// hidden), post events, or are plain items whose name the caller acts on.
//
// Items nest by level: 1 is the menu itself, and an item followed by items
// one level deeper opens a submenu of them (it cannot be chosen itself).
//
// The menu is shown as a window of its own kind, PopupMenuWindow: its
// controls are the items in order (menu items, check items as check boxes
// whose value is "1" when ticked, separators, and submenus holding their
// items), the host shows them as a pop-up menu and answers with Accepted on
// the chosen item, or closes it when the user clicks elsewhere. The asking
// thread waits for the answer as it waits for any dialog.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"

namespace qv::fw {

class PopupMenuWindow : public rt::Window
{
public:
    struct Item {
        std::string name;
        std::string text;
        bool enabled = true;
        bool separator = false;
        int level = 1;
        bool checkable = false;
        bool checked = false;
    };
    static constexpr std::string_view DefinitionName = "$PopupMenu";

    // at: where to open, in the owner's dialog units; x and y of -1 mean
    // "at the mouse". The items in the order they show, as arranged().
    PopupMenuWindow(std::vector<Item> items, rt::Rect at);

    // The items as the menu shows them: an item goes at most one level below
    // the one before it; a separator sits with the item after it, and none
    // stays at the top or bottom of a menu or next to another.
    static std::vector<Item> arranged(std::vector<Item> items);

    const std::vector<Item>& items() const { return items_; }
    // Whether the item at this index opens a submenu.
    bool opensSubmenu(std::size_t index) const;
    // Whether the user can choose the item at this index: not a separator,
    // not a submenu, enabled, and not inside a disabled submenu.
    bool choosable(std::size_t index) const;
    // As the user: picks the item with this name, inside submenus too; false
    // (and nothing sent) for an item that is not choosable or an unknown name.
    bool choose(std::string_view name);
    // As the user: clicks outside the menu.
    void dismiss();

private:
    std::vector<Item> items_;
};

class ContextMenu : public WindowComponent
{
public:
    // control: the control whose right click opens the menu; 0 for any.
    explicit ContextMenu(int control = 0)
        : control_(control)
    { }

    // For a menu used without a controller; a component gets its window in Prepare.
    void init(rt::Window& window, int control);
    int control() const { return control_; }

    // Each returns the item's name: the given one, or the text without its
    // "&" marks, made unique with a number.
    std::string addItem(std::string text, std::string name = {});
    std::string AddItemForButton(std::string text, int button, std::string name = {});
    std::string AddItemForButton(std::string text, std::string_view buttonName, std::string name = {});
    std::string addItemForEvent(std::string text, int event, int control = 0, std::string name = {});
    void addSeparator();
    // Inserts right after the item named `after` ("" or a name not in the
    // menu: at the end), at `level`, posting `event` with `control` when
    // chosen (0: a plain item, or the head of a submenu). A text "-" is a
    // separator, which the name lets later items follow; a text beginning
    // with "+" is a check item, shown without the "+".
    std::string insertItem(
        std::string text, std::string name, std::string_view after, int level, int event, int control = 0);
    // Removes the item, and the items of its submenu when it heads one.
    void removeItem(std::string_view name);
    void setItemEnabled(std::string_view name, bool on);
    void setItemText(std::string_view name, std::string text);
    // Only a check item shows the mark.
    void setItemChecked(std::string_view name, bool on);
    bool itemChecked(std::string_view name) const;
    bool hasItem(std::string_view name) const;

    // The menu as it would show now, arranged.
    std::vector<PopupMenuWindow::Item> items() const;
    // Shows the menu and waits; the chosen item's name, "" when dismissed.
    std::string ask(rt::Rect at = {});
    // Carries out an item: presses its button (Accepted) or posts its event.
    // False for plain items and for items that cannot act now.
    bool Execute(std::string_view name);
    // Ask, then Execute; the chosen name.
    std::string open(rt::Rect at = {});

    // Asked as a right click is about to open the menu: the owner brings
    // the items up to date, or answers false to keep the menu closed.
    void setBeforeOpen(std::function<bool()> ask) { beforeOpen_ = std::move(ask); }

    void Prepare(WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

private:
    enum class Kind { Plain, Button, Event, Separator };
    struct Entry {
        Kind kind = Kind::Plain;
        std::string name, text;
        bool enabled = true;
        int button = 0; // Button: the control pressed; Event: the control the event names
        int event = 0;
        int level = 1;
        bool checkable = false;
        bool checked = false;
    };
    std::string add(Entry e, std::string name, std::string_view after = {});
    std::vector<Entry>::iterator position(std::string_view name);
    Entry* find(std::string_view name);
    const Entry* find(std::string_view name) const;
    // Hidden with its button: left out of the menu.
    bool shown(const Entry& e) const;
    bool active(const Entry& e) const;

    rt::Window* window_ = nullptr;
    int control_ = 0;
    std::vector<Entry> entries_;
    std::function<bool()> beforeOpen_;
};

} // namespace qv::fw
