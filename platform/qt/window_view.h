#pragma once
// What the host keeps for every open window of the model: the widget that
// shows it, fed with the model's changes.

#include <QWidget>
#include <string>

#include "platform/qt/units.h"
#include "platform/runtime/window.h"

namespace qv::qt {

class WindowView
{
public:
    virtual ~WindowView() = default;
    virtual rt::Window& window() const = 0;
    virtual QWidget* widget() = 0;
    // The widget the window system shows (an MDI child's sub-window).
    virtual QWidget* outerWidget() { return widget(); }
    virtual void windowChanged(rt::WindowChange) { }
    virtual void controlChanged(rt::Control&, rt::ControlChange) { }
    // A window below the top of its thread's stack takes no input.
    virtual void setBlocked(bool blocked) = 0;
    virtual void showView() = 0;
    // The model window has closed: stop feeding it and go away. Nothing may
    // touch the model window afterwards.
    virtual void dispose() = 0;
    // The user pressed Enter where no control claims it.
    virtual bool pressDefault() { return false; }
};

// The flags of a window of its own (not an MDI child): a dialog of the frame
// with only a close button, as desktop dialogs have, or no frame at all for
// a window without a system menu (the splash, the about box).
Qt::WindowFlags dialogFlags(bool systemMenu, bool ofFrame);
// Wide enough for its title not to be cut.
void fitTitle(QWidget& window);

// Tells the model where the user left a window, as the window system
// would: its state always, its place and size only while it is neither
// maximised nor minimised (so the normal placement survives), with a moved
// or sized event when they changed.
class PlacementReporter
{
public:
    // Where the window stands as it is shown: no event for that.
    void shown(const rt::Rect& at) { reported_ = at; }
    void report(rt::Window& window, const QWidget& outer, const rt::Rect& at);

private:
    rt::Rect reported_;
    bool maximized_ = false, iconized_ = false;
};

// What a control's widget needs of the window that holds it.
class ControlHost
{
public:
    virtual ~ControlHost() = default;
    virtual const DialogUnits& units() const = 0;
    virtual const std::string& module() const = 0;
    // A control was shown, hidden, or a sheet changed its tab.
    virtual void visibilityChanged() = 0;
    // Status text of the control under the mouse or with the focus; empty
    // restores the window's own text.
    virtual void showHint(const std::string& text) = 0;
};

} // namespace qv::qt
