#pragma once
// The right-click menu of a control. Its items press buttons of the window
// (and follow those buttons: disabled with them, left out while they are
// hidden), post events, or are plain items whose name the caller acts on.
//
// The menu is shown as a window of its own kind, PopupMenuWindow: its
// controls are the items in order (menu items and separators), the host
// shows them as a pop-up menu and answers with Accepted on the chosen item,
// or closes it when the user clicks elsewhere. The asking thread waits for
// the answer as it waits for any dialog.

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
    };
    static constexpr std::string_view DefinitionName = "$PopupMenu";

    // at: where to open, in the owner's dialog units; x and y of -1 mean
    // "at the mouse".
    PopupMenuWindow(std::vector<Item> items, rt::Rect at);

    const std::vector<Item>& items() const { return items_; }
    // As the user: picks the item with this name; false (and nothing sent)
    // for a separator, a disabled item or an unknown name.
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
    void removeItem(std::string_view name);
    void setItemEnabled(std::string_view name, bool on);
    void setItemText(std::string_view name, std::string text);
    bool hasItem(std::string_view name) const;

    // The menu as it would show now.
    std::vector<PopupMenuWindow::Item> items() const;
    // Shows the menu and waits; the chosen item's name, "" when dismissed.
    std::string ask(rt::Rect at = {});
    // Carries out an item: presses its button (Accepted) or posts its event.
    // False for plain items and for items that cannot act now.
    bool Execute(std::string_view name);
    // Ask, then Execute; the chosen name.
    std::string open(rt::Rect at = {});

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
    };
    std::string add(Entry e, std::string name);
    Entry* find(std::string_view name);
    const Entry* find(std::string_view name) const;
    // Hidden with its button: left out of the menu.
    bool shown(const Entry& e) const;
    bool active(const Entry& e) const;

    rt::Window* window_ = nullptr;
    int control_ = 0;
    std::vector<Entry> entries_;
};

} // namespace qv::fw
