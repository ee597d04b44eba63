#pragma once
// A window of the program other than the frame: its controls on a canvas at
// their dialog-unit positions, with its own menus, tool bar and status bar
// when it has them. Shown as an MDI child of the frame or on its own.

#include <QWidget>
#include <map>
#include <memory>

#include "platform/qt/commands.h"
#include "platform/qt/control_factory.h"
#include "platform/qt/status_zones.h"
#include "platform/qt/window_view.h"

class QMdiSubWindow;

namespace qv::qt {

class QtHost;

class WindowWidget : public QWidget, public WindowView, public ControlHost
{
public:
    WindowWidget(rt::Window& window, QtHost& host, QWidget* parent);
    ~WindowWidget() override;

    // Makes the window an MDI child; the sub-window is what the user moves.
    void setSubWindow(QMdiSubWindow* sub);
    ControlView* controlView(int number) const;

    rt::Window& window() const override { return window_; }
    QWidget* widget() override { return this; }
    QWidget* outerWidget() override;
    void windowChanged(rt::WindowChange what) override;
    void controlChanged(rt::Control& c, rt::ControlChange what) override;
    void setBlocked(bool blocked) override;
    void showView() override;
    void dispose() override;
    bool pressDefault() override;

    const DialogUnits& units() const override { return units_; }
    const std::string& module() const override { return window_.def().module; }
    void visibilityChanged() override;
    void showHint(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void applyGeometry();
    QRect positionArea() const;
    rt::Rect placeInUnits();
    QSize canvasSize() const;
    void reportGeometry();
    bool reportArea();

    rt::Window& window_;
    QtHost& host_;
    DialogUnits units_;
    CommandSet commands_;
    QWidget* canvas_;
    std::unique_ptr<StatusZones> status_;
    std::map<int, std::unique_ptr<ControlView>> views_;
    QMdiSubWindow* sub_ = nullptr;
    bool built_ = false;
    bool shown_ = false;
    bool disposed_ = false;
    bool blocked_ = false;
    int applying_ = 0; // inside a geometry change of the program's
    PlacementReporter placement_;
};

} // namespace qv::qt
