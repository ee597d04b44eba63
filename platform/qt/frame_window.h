#pragma once
// The application frame: menus, tool bar, the MDI area in which the
// program's windows open, and the status bar zones.

#include <QAction>
#include <QMainWindow>
#include <map>
#include <memory>

#include "platform/qt/commands.h"
#include "platform/qt/control_factory.h"
#include "platform/qt/status_zones.h"
#include "platform/qt/window_view.h"

class QMdiArea;
class QMdiSubWindow;
class QToolBar;

namespace qv::qt {

class QtHost;
class WindowWidget;

class FrameWindow : public QMainWindow, public WindowView, public ControlHost
{
public:
    FrameWindow(rt::Window& window, QtHost& host);
    ~FrameWindow() override;

    QMdiArea* mdiArea() const { return mdi_; }
    QMdiSubWindow* addChild(WindowWidget* child);
    StatusZones& statusZones() { return *status_; }
    // Tile, cascade and arrange the MDI children.
    bool arrange(const std::string& action);

    rt::Window& window() const override { return window_; }
    QWidget* widget() override { return this; }
    void windowChanged(rt::WindowChange what) override;
    void controlChanged(rt::Control& c, rt::ControlChange what) override;
    void setBlocked(bool blocked) override;
    void showView() override;
    void dispose() override;

    const DialogUnits& units() const override { return units_; }
    const std::string& module() const override { return window_.def().module; }
    void visibilityChanged() override;
    void showHint(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls(QToolBar* bar);
    void reportGeometry();

    rt::Window& window_;
    QtHost& host_;
    DialogUnits units_;
    CommandSet commands_;
    QMdiArea* mdi_;
    std::unique_ptr<StatusZones> status_;
    // The frame's own controls (the logo) sit at the end of the tool bar.
    std::map<int, std::unique_ptr<ControlView>> views_;
    std::map<int, QAction*> placed_;
    bool shown_ = false;
    bool disposed_ = false;
    bool blocked_ = false;
    int applying_ = 0; // inside a geometry change of the program's
    PlacementReporter placement_;
};

} // namespace qv::qt
