#pragma once
// A window's menus and tool bar. Choosing an item or a tool button posts an
// accepted event for it; items that carry a standard action ("close",
// "copy", "tile", ...) are done by the host instead.

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <string>

#include "platform/runtime/window.h"

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace qv::qt {

class CommandSet : public QObject
{
public:
    // standard: runs a standard action, answering false when it has none of
    // that name. hint: shows a status text; empty restores the window's own.
    CommandSet(rt::Window& window, std::function<bool(const std::string&)> standard,
        std::function<void(const std::string&)> hint, QObject* parent = nullptr);

    // nullptr when the window has no menus or no tool bar.
    QMenuBar* buildMenuBar(QWidget* parent);
    QToolBar* buildToolBar(QWidget* parent);
    bool empty() const { return actions_.empty(); }

    // True when the control is one of the commands.
    bool controlChanged(rt::Control& control, rt::ControlChange what);
    void setBlocked(bool blocked);
    void detach() { live_ = false; }

private:
    void addItems(QMenu* menu, const std::vector<rt::Control*>& items);
    QAction* makeAction(rt::Control& c, QObject* parent);
    void apply(rt::Control& c, QAction* a);

    rt::Window& window_;
    std::function<bool(const std::string&)> standard_;
    std::function<void(const std::string&)> hint_;
    std::map<int, QAction*> actions_; // by control number; menus have their menuAction
    QPointer<QMenuBar> menuBar_;
    QPointer<QToolBar> toolBar_;
    bool live_ = true;
};

} // namespace qv::qt
