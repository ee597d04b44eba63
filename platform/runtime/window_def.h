#pragma once
// Window definitions are data: one YAML file per window, compiled into the
// program and opened by module and window name. The live state of an open
// window is in window.h; this is only what the file says.

#include <climits>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {

// Control type codes. The program tests these numbers, so they keep the
// window system's values.
enum class ControlType : int {
    String = 2,
    Image = 3,
    Region = 4,
    Line = 5,
    Box = 6,
    Entry = 8,
    Button = 9,
    Prompt = 10,
    Option = 11,
    Check = 12,
    Group = 13,
    List = 14,
    Combo = 15,
    Spin = 16,
    Text = 17,
    Menu = 19,
    Item = 20,
    Radio = 21,
    DropCombo = 33,
    DropList = 34,
    Sheet = 37,
    Tab = 38,
    Panel = 39,
    Progress = 40,
    Separator = 41, // a menu separator
};

std::optional<ControlType> controlTypeFromName(std::string_view name);
std::string_view controlTypeName(ControlType type);

// Positions and sizes are dialog units of the window's font; -1 means "not
// given" (the host chooses).
struct Rect {
    int x = -1, y = -1, width = -1, height = -1;
};

struct FontDef {
    std::string name; // empty: the window's or the system default
    int size = 0; // points; 0: default
    bool bold = false;
    bool italic = false;
    int color = -1; // text colour as 0xBBGGRR; -1: the system's
};

struct ControlDef {
    ControlType type = ControlType::String;
    std::string name; // "?OkButton"; the program finds controls by it
    int number = 0; // given in document order when the window is read
    std::string text; // caption, prompt text, menu text ("&" marks the mnemonic)
    Rect at;
    std::string use; // the bound variable, e.g. "ALB:Artist" or "LOC:Choice"
    std::string picture; // "@s40", "@n7.2", ...
    std::string format; // list format string
    std::string from; // fixed choices of a drop list: "Yes|No"
    int low = INT_MIN, high = INT_MAX; // the values a spin box steps through
    std::string value; // the value a radio or check box stands for
    std::string icon; // resource name of a button or tool-button picture
    std::string msg; // status-bar text
    std::string tip; // tool tip
    std::string standard; // standard action of a menu item: "close", "cut", "tile", ...
    std::string drag; // a list's drag identifier: its rows can be dragged
    std::string drop; // a list's drop identifier: it takes rows dragged under the same identifier
    int key = 0; // shortcut key code
    FontDef font;
    bool isDefault = false;
    bool immediate = false;
    bool disabled = false;
    bool hidden = false;
    bool required = false;
    bool readOnly = false;
    bool skip = false; // left out of the tab order
    bool password = false; // an entry that shows no typed character
    bool vscroll = false;
    bool hscroll = false;
    std::vector<ControlDef> children; // menu items, tabs of a sheet, controls of a tab/group/option
};

enum class WindowKind { Normal, Frame, MessageBox, FileDialog, FontDialog, ColorDialog, PopupMenu };

struct WindowDef {
    std::string module;
    std::string name;
    std::string title;
    WindowKind kind = WindowKind::Normal;
    Rect at;
    int minWidth = 0, minHeight = 0;
    FontDef font;
    std::string icon;
    std::string help; // the manual's topic F1 opens
    int timer = 0; // hundredths of a second
    std::vector<int> statusZones; // widths in dialog units, -1 for "the rest"
    std::vector<int> alertKeys;
    bool resizable = false;
    bool maximized = false;
    bool iconized = false;
    bool hidden = false;
    bool mdi = false; // a child of the frame
    bool modal = false;
    bool center = false;
    bool system = true; // has a system menu / close box
    // What the framework's window shapes read ("form", "list"), as YAML text:
    // the run time only carries them.
    std::map<std::string, std::string> sections;
    std::vector<ControlDef> menubar;
    std::vector<ControlDef> toolbar;
    std::vector<ControlDef> controls;
};

// Reads a definition from YAML text. Throws DefinitionError naming the
// window and the offending entry; numbers the controls in document order
// (menu bar, tool bar, then the controls, depth first) starting at 1.
WindowDef parseWindowDef(std::string_view yaml, std::string_view module = {}, std::string_view name = {});

// Finds "windows/<name>.yaml" of a module in the resource store.
WindowDef loadWindowDef(std::string_view module, std::string_view name);
// The same, parsed once and shared by every window opened from it.
std::shared_ptr<const WindowDef> sharedWindowDef(std::string_view module, std::string_view name);

// One control of one window definition, as the build's generated window
// headers name it: a misspelt control then fails to compile, and the name
// lets the window check that the number means that control.
struct ControlId {
    int number;
    std::string_view name; // with its "?"
};

struct DefinitionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Visits every control of a definition, depth first, in number order.
template <typename F> void forEachControl(const std::vector<ControlDef>& controls, F&& f)
{
    for (const ControlDef& c : controls) {
        f(c);
        forEachControl(c.children, f);
    }
}

} // namespace qv::rt
