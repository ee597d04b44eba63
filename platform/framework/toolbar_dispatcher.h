#pragma once
// The frame's record toolbar (insert, change, delete, select, moving in a
// list, next and previous record, history) works on whichever window is
// active. Each window attaches a dispatcher and names its targets: the
// lists with their buttons, and for a form its own navigation and history
// keys. A frame button is forwarded to the active window's matching control
// and is enabled exactly while that control would act.

#include <string>
#include <utility>
#include <vector>

#include "platform/framework/window_controller.h"

namespace qv::fw {

class ToolbarDispatcher : public WindowComponent
{
public:
    enum class Action {
        Insert,
        Change,
        Delete,
        Select,
        Top,
        Bottom,
        PageUp,
        PageDown,
        Up,
        Down,
        NextRecord,
        PreviousRecord,
        History,
        Help,
    };
    static constexpr int ActionCount = 14;

    struct ListButtons {
        int insert = 0, change = 0, delete_ = 0, select = 0; // 0: none
    };

    ToolbarDispatcher() = default;
    ~ToolbarDispatcher() override;
    ToolbarDispatcher(const ToolbarDispatcher&) = delete;
    ToolbarDispatcher& operator=(const ToolbarDispatcher&) = delete;

    // A list and its buttons; the first list added is the target until
    // another gets the focus or SetTarget says otherwise.
    void addListTarget(int listControl, ListButtons buttons);
    // The form's own keys: Ctrl+' style history key, Alt+Right/Alt+Left
    // record navigation (each acts only while the window has it as an
    // alert key), and an optional help button.
    void setFormTarget(int historyKey, bool recordNavigation, int helpButton = 0);
    // A list control number, or 0 to hand the toolbar back to the form.
    void setTarget(int control);
    int target() const { return target_; }

    // Whether the action would do something in this window now.
    bool enabled(Action action) const;
    // Sends the action to this window; false when it cannot act now.
    bool forward(Action action);

    // --- the frame's side (one frame per program)
    // Binds frame toolbar controls to actions and takes them over.
    static void attachFrame(rt::Window& frame, std::vector<std::pair<Action, std::string>> buttons);
    // The conventional names "?Toolbar:Insert", "?Toolbar:Change", ...
    static std::vector<std::pair<Action, std::string>> defaultFrameButtons();
    static void detachFrame();
    // The frame's accepted handler calls this first: true when the control
    // is a record-toolbar button (forwarded when the active window can act).
    static bool frameAccepted(int control);
    // Enables the frame's buttons as the active window's controls are.
    static void syncFrame();
    // The dispatcher of the active window, if any.
    static ToolbarDispatcher* active();

    void Prepare(WindowController& controller) override;
    void CleanUp() override;
    bool OnEvent(const rt::Event& e) override;
    void Refresh() override;

private:
    struct ListTarget {
        int list = 0;
        ListButtons buttons;
    };
    const ListTarget* currentList() const;
    bool controlActs(int control) const;
    bool keyActs(int key) const;
    void activate();
    void deactivate();

    rt::Window* window_ = nullptr;
    std::vector<ListTarget> lists_;
    int target_ = 0; // list control, 0 = the form
    bool targetSet_ = false;
    int historyKey_ = 0;
    bool navigation_ = false;
    int helpButton_ = 0;
};

} // namespace qv::fw
