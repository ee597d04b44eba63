#pragma once
// The controller of one window procedure: set-up, the event loop, tear-down,
// and for forms the record action (insert, change, delete) with its save.
// A procedure derives from it, overrides the operations it needs and keeps
// the rest of its window as data.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/handover.h"
#include "platform/framework/levels.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/window.h"

namespace qv::fw {

class RelationSet;
class WindowController;

// Something that takes part in a window's life: a list browser, a drop
// list, the resizer, a context menu. It sees every event before the
// controller does.
class WindowComponent
{
public:
    virtual ~WindowComponent() = default;
    // After the window has opened.
    virtual void Prepare(WindowController&) { }
    virtual void CleanUp() { }
    // True when the event has been dealt with.
    virtual bool OnEvent(const rt::Event&) { return false; }
    virtual void Refresh() { }
    virtual void reloadSelectedRecord() { }
    virtual void RegisterHotKeys() { }
    // Before the window shows: placement and texts apply without a flicker.
    virtual void beforeOpen(WindowController&) { }
};

// What every window of a program does besides its own rules (placement,
// the mouse wheel, translated texts, ...). The program sets it once as it
// starts; every controller makes its own part as its window opens.
using LifecycleFactory = std::function<std::unique_ptr<WindowComponent>(WindowController&)>;
void setWindowLifecycle(LifecycleFactory factory);

class WindowController
{
public:
    // name: the procedure's name, told to the error reporter and used as
    // the section of its placement.
    explicit WindowController(std::string name);
    virtual ~WindowController();
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    // Prepare; the event loop unless Prepare refused; CleanUp. Returns the
    // response, which is also left in the handover.
    int Execute();

    virtual Level Prepare();
    virtual void RunEventLoop();
    virtual void CleanUp();

    // One event: components first, then the window or control handlers.
    virtual Level OnEvent(const rt::Event& e);
    virtual Level OnWindowEvent(const rt::Event& e);
    virtual Level OnAccepted(int control);
    virtual Level OnNewSelection(int control);
    virtual Level OnControlEvent(const rt::Event& e);

    virtual void Refresh();
    virtual void RegisterHotKeys();
    virtual void ReloadSelectedRecords();
    // Runs update procedure `number` with a request; answers its response.
    virtual int CallUpdateProcedure(int number, int request);

    // Forms: opens the primary relation set and, for an insert, primes the
    // record; a delete is asked and done here, and Prepare then refuses.
    virtual Level PrepareRecordAction();
    virtual void FillNewRecordDefaults() { }

    // --- set-up, called from a derived Prepare in the order it needs
    void setWindow(std::unique_ptr<rt::Window> window);
    void loadWindow(std::string_view module, std::string_view name);
    // Opens the window, then prepares every component and shows the values.
    void openWindow();
    rt::Window& window() const { return *window_; }
    bool hasWindow() const { return window_ != nullptr; }
    void addComponent(WindowComponent& component);
    // A control's own handler of its accepted or new-selection event, run
    // before the framework's handling of it. May be set before the window
    // is loaded; it must be a control of this window.
    void onAccepted(rt::ControlId control, std::function<void()> handler);
    void onNewSelection(rt::ControlId control, std::function<void()> handler);
    // A variable of this window that controls name in their `use:`; set
    // before the window opens.
    void bindVariable(std::string name, rt::UseBinding binding) { locals_.add(std::move(name), std::move(binding)); }
    void bindVariable(std::string name, std::string& text) { locals_.add(std::move(name), text); }
    // A button that closes the window with a response (Cancel: 2).
    void addResponseButton(std::string_view control, int response);
    void setUpdateProcedure(int number, std::function<void()> procedure);
    // Forms: the relation set that saves, and the button that saves.
    void setPrimary(RelationSet& primary, std::string_view okControl);
    RelationSet* primary() const { return primary_; }
    // The key that brings back the focused field's value as it was when the
    // form took the record (Ctrl+').
    void setHistoryKey(int keyCode);
    // Change mode: Alt+Right and Alt+Left save and ask the list for the next
    // or previous record.
    void enableRecordNavigation();
    // After an insert is saved, prime the next record and stay open.
    void setInsertAgain(bool on) { insertAgain_ = on; }

    const std::string& name() const { return name_; }
    int request() const { return request_; }
    void setRequest(int request) { request_ = request; }
    int response() const { return response_; }
    void setResponse(int response) { response_ = response; }
    // Ends the event loop after the current event.
    void endLoop() { done_ = true; }
    bool loopEnded() const { return done_; }
    // Asking whether to save is off until the form's record is taken.
    void setAskOnClose(bool on) { askOnClose_ = on; }

protected:
    // Forms: validate and save the primary record; Benign when saved.
    virtual Level saveRecord();
    // Forms: the record is not saved (cancel); an insert's reserved record
    // goes with its child rows. False when it could not be deleted.
    virtual bool abandonRecord();
    // Asks "Save Record" when the record changed; false when the user
    // stays in the form: Yes presses OK (which saves and closes unless a
    // check refuses), Cancel goes back to the first field.
    bool confirmClose();
    void takeRecord();

private:
    void recallHistory();
    void holdOwnRecord();
    void navigate(int navRequest);
    void selectFirstField();

    std::string name_;
    std::unique_ptr<rt::Window> window_;
    std::vector<WindowComponent*> components_;
    std::unique_ptr<WindowComponent> lifecycle_;
    LocalVariables locals_;
    std::map<int, std::function<void()>> acceptedHandlers_, selectionHandlers_;
    std::vector<rt::ControlId> handled_;
    std::map<int, int> responseButtons_;
    std::map<int, std::function<void()>> updateProcedures_;
    RelationSet* primary_ = nullptr;
    int okControl_ = 0;
    int historyKey_ = 0;
    bool navigation_ = false;
    bool insertAgain_ = false;
    bool askOnClose_ = false;
    bool saved_ = false;
    bool recordOpen_ = false;
    std::int64_t reservedId_ = 0; // the record an insert reserved, until it is saved or removed
    std::int64_t lastSavedId_ = 0; // the last record a series of inserts saved
    std::int64_t ownId_ = 0; // the record the form took, held in the shared buffer while it handles events
    int request_ = 0;
    int response_ = 0;
    bool done_ = false;
    bool procedurePushed_ = false;
};

} // namespace qv::fw
