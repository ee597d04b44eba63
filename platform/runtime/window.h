#pragma once
// The live window and control model. Program code reads and writes only
// this model; a host (Qt, or the headless host of the tests) shows it and
// turns user input into events and values.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/list_source.h"
#include "platform/runtime/window_def.h"

namespace qv::rt {

class Window;
class Control;

// A control's use variable: a global, a record field or a local.
struct UseBinding {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
};

// Pictures are the expression library's business; the model keeps a hook so
// that it does not depend on it. Without hooks, values pass unchanged.
struct PictureHooks {
    std::function<std::string(const std::string& value, const std::string& picture)> format;
    std::function<std::string(const std::string& text, const std::string& picture)> deformat;
};
void setPictureHooks(PictureHooks hooks);
// A value shown through a picture, and typed text read back; unchanged
// without hooks or without a picture.
std::string formatPicture(const std::string& value, const std::string& picture);
std::string deformatPicture(const std::string& text, const std::string& picture);

// Numbered control properties that the host keeps up to date.
namespace prop {
constexpr int SelStart = 0x7E01; // an entry's selection, 1-based; the caret when SelEnd < SelStart
constexpr int SelEnd = 0x7E02;
constexpr int Wizard = 0x7A4B; // a sheet whose tabs are wizard steps: "1" hides the tab headers
constexpr int Icon = 0x7A05; // a button's picture in place of its definition's
// An image control's picture read from this file on disk (a program path) in
// place of its own: scaled down to fit the control, keeping its proportions,
// never enlarged, or at its own size inside scroll bars when the control has
// them; a file that cannot be read shows nothing. Blank: its own.
constexpr int PictureFile = 0x7A62;
// A box filled with this colour (0xBBGGRR); blank: not filled.
constexpr int Fill = 0x7A0B;
// The pen width of a box's border or a line, in pixels; blank: 1.
constexpr int LineWidth = 0x7A0C;
// A string's text turned by this many degrees counter-clockwise; blank: 0.
constexpr int Angle = 0x7A0D;
} // namespace prop

enum class ControlChange {
    Text,
    Value,
    Enabled,
    Hidden,
    Marks,
    Selection,
    List,
    Geometry,
    Font,
    Property,
    Scroll,
    Access,
    Created, // added by the program to an open window
    Destroyed, // about to go; nothing may touch it afterwards
};
enum class WindowChange {
    Title,
    Hidden,
    Iconized,
    Maximized,
    Geometry,
    MinSize,
    StatusText,
    AlertKeys,
    Focus,
    Activate
};

// What a host hears of the model, and the system sounds it is asked for.
// Calls come on the OS thread, from inside whichever program thread changed
// the model.
class HostObserver
{
public:
    virtual ~HostObserver() = default;
    virtual void windowOpened(Window&) { }
    virtual void windowClosed(Window&) { }
    virtual void windowChanged(Window&, WindowChange) { }
    virtual void controlChanged(Control&, ControlChange) { }
    virtual void beep(int /*sound*/) { }
};
void setHost(HostObserver* host);
HostObserver* host();

class Control
{
public:
    Control(Window& window, const ControlDef& def, Control* parent);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Window& window() const { return window_; }
    const ControlDef& def() const { return def_; }
    int number() const { return def_.number; }
    const std::string& name() const { return def_.name; }
    ControlType type() const { return def_.type; }
    Control* parent() const { return parent_; }
    const std::vector<Control*>& children() const { return children_; }

    const std::string& text() const { return text_; }
    void setText(std::string text);

    // The screen value: what an entry shows, "1"/"" for a check box, the
    // chosen value of an option or drop list.
    const std::string& value() const { return value_; }
    void setValue(std::string value);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool hidden() const { return hidden_; }
    void setHidden(bool on);
    // Hidden itself or inside a hidden parent (a control on a hidden tab).
    bool effectivelyHidden() const;
    bool required() const { return required_; }
    void setRequired(bool on);
    // Shown but not typed into; left out of the tab order (still clickable).
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on);
    bool skip() const { return skip_; }
    void setSkip(bool on);
    bool isDefault() const { return default_; }
    void setDefault(bool on);
    bool immediate() const { return immediate_; }
    void setImmediate(bool on);
    const std::string& statusText() const { return status_; }
    void setStatusText(std::string text);
    const std::string& toolTip() const { return tip_; }
    void setToolTip(std::string text);
    const std::string& picture() const { return picture_; }
    void setPicture(std::string picture);
    const std::string& format() const { return format_; }
    void setFormat(std::string format);
    Rect geometry() const { return at_; }
    void setGeometry(Rect at);
    const FontDef& font() const { return font_; }
    void setFont(FontDef font);

    // Lists: the rows shown (not owned) and the highlighted row, 1-based,
    // 0 for none. Sheets and options: the chosen tab or radio, 1-based.
    ListSource* list() const { return list_; }
    void setList(ListSource* source);
    int selected() const { return selected_; }
    void setSelected(int choice);

    // Drag and drop of list rows. A row is dragged only from a list with a
    // drag id and dropped only on a list whose drop id is the same, case
    // aside; the source hears of it first (Dragging), then the target (Drop).
    const std::string& dragId() const { return dragId_; }
    void setDragId(std::string id) { dragId_ = std::move(id); }
    const std::string& dropId() const { return dropId_; }
    void setDropId(std::string id) { dropId_ = std::move(id); }
    bool acceptsDropFrom(const Control& source) const;
    // Rows of the list as shown (1-based, 0 for none) under the mouse when
    // the button last went down on it and last came up over it.
    int mouseDownRow() const { return mouseDownRow_; }
    int mouseUpRow() const { return mouseUpRow_; }
    // Lists taken over by a program (list_box.h): the mouse's last press,
    // move and release as the host reported them, the columns' places, and
    // a hook that hears each report as it comes.
    const ListHit& listPress() const { return listPress_; }
    const ListHit& listMove() const { return listMove_; }
    const ListHit& listRelease() const { return listRelease_; }
    const ListGeometry& listGeometry() const { return listGeometry_; }
    void setListMouseHook(ListMouseHook hook) { listMouseHook_ = std::move(hook); }
    // From the host.
    void userListMouse(ListMouse what, const ListHit& at);
    void userListGeometry(ListGeometry geometry) { listGeometry_ = std::move(geometry); }
    // The user resized a column with the mouse: the format as it is now. No echo.
    void userFormat(std::string format) { format_ = std::move(format); }
    // What a drop carries: the drag id, unless the source replaced it while
    // it handled its Dragging event; the target reads it on Drop.
    const std::string& dropText() const { return dropText_; }
    void setDropText(std::string text) { dropText_ = std::move(text); }

    // A multi-line text moves its caret down (or up, when negative) by
    // lines, as the arrow keys do; the host takes the lines asked for.
    void scrollLines(int lines);
    int takeScrollLines();

    // Numbered properties that have no accessor of their own.
    std::string property(int id) const;
    void setProperty(int id, std::string value);

    void bind(UseBinding use) { use_ = std::move(use); }
    bool bound() const { return static_cast<bool>(use_.get); }
    // Copies the use variable into the screen value, through the picture.
    void display();
    // Copies the screen value into the use variable, through the picture.
    void update();

    // From the host: the user changed the value or the choice. No echo to
    // the host; the use variable follows on the window's own thread, before
    // it receives its next event (a Qt handler never runs program code).
    void userInput(std::string value);
    void userSelected(int choice);
    // The value a drop list's or combo's choice (1-based) stands for: the
    // first column of its list, or its fixed choice ("a|b|c", a choice
    // followed by "#value" standing for that value).
    std::string choiceValue(int choice) const;
    std::vector<std::string> fixedChoiceValues() const;
    void userProperty(int id, std::string value);
    void userMouseDown(int row) { mouseDownRow_ = row; }
    void userMouseUp(int row) { mouseUpRow_ = row; }
    // The user dragged row `fromRow` of this list and let go over row
    // `toRow` of target (this list or another, on any thread). False, and
    // nothing happens, when the target does not take this list's rows.
    bool userDrag(int fromRow, Control& target, int toRow);

private:
    friend class Window;
    void changed(ControlChange what);

    Window& window_;
    const ControlDef& def_;
    Control* parent_;
    std::vector<Control*> children_;
    std::string text_, value_, status_, tip_, picture_, format_;
    Rect at_;
    FontDef font_;
    bool enabled_, hidden_, required_, default_, immediate_, readOnly_, skip_;
    ListSource* list_ = nullptr;
    int selected_ = 0;
    int scrollLines_ = 0;
    std::string dragId_, dropId_, dropText_;
    int mouseDownRow_ = 0, mouseUpRow_ = 0;
    ListHit listPress_, listMove_, listRelease_;
    ListGeometry listGeometry_;
    ListMouseHook listMouseHook_;
    std::map<int, std::string> properties_;
    UseBinding use_;
};

// The keys a window alerts, in one sorted block: a list adds a hundred of them each time
// it opens, mostly in ascending order, and the host looks keys up as they are pressed.
class KeySet
{
public:
    bool count(int key) const { return std::binary_search(keys_.begin(), keys_.end(), key); }
    void insert(int key);
    void erase(int key);
    std::size_t size() const { return keys_.size(); }
    std::vector<int>::const_iterator begin() const { return keys_.begin(); }
    std::vector<int>::const_iterator end() const { return keys_.end(); }

private:
    std::vector<int> keys_;
};

class Window
{
public:
    explicit Window(WindowDef def);
    // A parsed definition that several windows share: opening one copies no
    // control definitions.
    explicit Window(std::shared_ptr<const WindowDef> def);
    // Loads "windows/<name>.yaml" of a module; throws DefinitionError.
    static std::unique_ptr<Window> load(std::string_view module, std::string_view name);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const WindowDef& def() const { return *def_; }
    WindowKind kind() const { return def_->kind; }

    // Opens the window on the running thread, on top of that thread's other
    // windows (which wait for it: a window is modal for its own thread only).
    // The first events it receives are OpenWindow and GainFocus.
    void open();
    void close();
    bool isOpen() const { return open_; }
    int thread() const { return thread_; }

    // Waits for the next event of this window; other threads run meanwhile.
    // What the user typed meanwhile has reached the use variables by then.
    Event waitEvent();
    void post(int code, int control = 0);
    void post(Event e);
    bool hasPendingEvents() const { return !events_.empty(); }

    Control* control(std::string_view name) const;
    Control* control(int number) const;
    // Like control(name), but a missing control is a programming error.
    Control& operator[](std::string_view name) const;
    // By number, checked against the name: an id this window does not bear
    // (another window's, say) is a programming error, so neither returns null.
    Control* control(ControlId id) const;
    Control& operator[](ControlId id) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // Controls the program adds at run time (a graph's bars and texts) and
    // takes away again, found by the number it gives them, which the
    // definition must not use; the host hears of them as Created and
    // Destroyed changes.
    Control& createControl(ControlDef def);
    void destroyControl(int number);
    std::vector<Control*> addedControls() const;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    bool hidden() const { return hidden_; }
    void setHidden(bool on);
    bool iconized() const { return iconized_; }
    void setIconized(bool on);
    bool maximized() const { return maximized_; }
    void setMaximized(bool on);
    Rect geometry() const { return at_; }
    void setGeometry(Rect at);
    // The size the window shows its controls in now, in dialog units: its
    // geometry's, unless the host reported another (a maximised window).
    Rect area() const;
    int minWidth() const { return minWidth_; }
    int minHeight() const { return minHeight_; }
    void setMinSize(int width, int height);
    int timer() const { return timer_; }
    void setTimer(int hundredths);
    std::string statusText(int zone) const;
    void setStatusText(int zone, std::string text);
    const KeySet& alertKeys() const { return alertKeys_; }
    void alert(int keyCode);
    // Several keys at once, with one notice to the host.
    void alert(const std::vector<int>& keyCodes);
    void unalert(int keyCode);
    Control* focus() const { return focus_; }
    // Where the focus lands when the program chose none: the first control,
    // in definition order, a user could tab to.
    Control* firstFocusable() const;
    void select(Control& control);
    // Brings the window to the front (restored when it was minimised).
    void activate();

    // Copies every bound use variable into its control, or back.
    void display();
    void update();

    // While a form re-checks every field before it saves: handlers that
    // react to the user's own typing keep quiet meanwhile.
    bool acceptingAll() const { return acceptingAll_; }
    void setAcceptingAll(bool on) { acceptingAll_ = on; }

    // From the host: the user moved or sized the window, maximised,
    // minimised or restored it, or moved the focus.
    void userGeometry(Rect at);
    void userState(bool maximized, bool iconized);
    void userFocus(Control* control);
    // The host shows the controls in an area of this size; true when it changed.
    bool userArea(int width, int height);

protected:
    void changed(WindowChange what);

private:
    friend class Scheduler;
    friend class Control;
    void build(const std::vector<ControlDef>& defs, Control* parent);
    void applyUserInput();

    std::shared_ptr<const WindowDef> def_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, Control*> byName_; // folded names
    std::string title_;
    Rect at_;
    int minWidth_, minHeight_;
    bool hidden_, iconized_, maximized_;
    std::map<int, std::string> status_;
    KeySet alertKeys_;
    Control* focus_ = nullptr;
    bool open_ = false;
    bool acceptingAll_ = false;
    std::vector<Control*> typedInto_; // controls whose use variable awaits the user's value
    struct Added {
        std::unique_ptr<ControlDef> def;
        std::unique_ptr<Control> control;
    };
    std::map<int, Added> added_;
    int areaWidth_ = -1, areaHeight_ = -1;

    // Owned by the scheduler.
    int thread_ = 0;
    std::deque<Event> events_;
    int timer_ = 0;
    std::int64_t timerDue_ = 0;
};

} // namespace qv::rt
