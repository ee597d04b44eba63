#include "platform/qt/frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "platform/qt/host.h"
#include "platform/qt/pictures.h"
#include "platform/qt/window_widget.h"

namespace qv::qt {

FrameWindow::FrameWindow(rt::Window& window, QtHost& host)
    : window_(window)
    , host_(host)
    , units_(makeFont(window.def().font, defaultWindowFont()))
    , commands_(
          window, [this](const std::string& a) { return host_.runStandard(a, window_); },
          [this](const std::string& t) { showHint(t); }, this)
    , mdi_(new QMdiArea(this))
{
    setObjectName(QString::fromStdString(window.def().name));
    setFont(makeFont(window.def().font, defaultWindowFont()));
    setWindowTitle(QString::fromStdString(window.title()));
    if (const QIcon icon = loadIcon(window.def().icon, window.def().module); !icon.isNull()) {
        setWindowIcon(icon);
        QApplication::setWindowIcon(icon);
    }
    if (QMenuBar* bar = commands_.buildMenuBar(this))
        setMenuBar(bar);
    QToolBar* tools = commands_.buildToolBar(this);
    if (!tools && !window.def().controls.empty())
        tools = new QToolBar(this);
    if (tools) {
        tools->setMovable(false);
        addToolBar(Qt::TopToolBarArea, tools);
        buildControls(tools);
    }
    mdi_->setObjectName(QStringLiteral("mdi"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    status_ = std::make_unique<StatusZones>(statusBar(), window, units_);
}

FrameWindow::~FrameWindow()
{
    for (auto& [n, v] : views_)
        v->detach();
}

void FrameWindow::buildControls(QToolBar* bar)
{
    if (window_.def().controls.empty())
        return;
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    ControlFactory factory(*this, [this](int n) {
        const auto it = views_.find(n);
        return it == views_.end() ? nullptr : it->second.get();
    });
    for (const rt::ControlDef& d : window_.def().controls) {
        rt::Control* c = window_.control(d.number);
        if (!c)
            continue;
        auto v = factory.create(*c, bar);
        if (!v)
            continue;
        v->load();
        const QRect r = units_.toPixels(c->geometry());
        if (r.width() > 0 && r.height() > 0)
            v->widget()->setFixedSize(r.width(), r.height());
        placed_[d.number] = bar->addWidget(v->widget());
        views_[d.number] = std::move(v);
    }
    visibilityChanged();
}

QMdiSubWindow* FrameWindow::addChild(WindowWidget* child)
{
    QMdiSubWindow* sub = mdi_->addSubWindow(child);
    child->setSubWindow(sub);
    return sub;
}

bool FrameWindow::arrange(const std::string& action)
{
    if (action == "tile")
        mdi_->tileSubWindows();
    else if (action == "cascade")
        mdi_->cascadeSubWindows();
    else if (action == "arrange") {
        // Lines the minimized children up along the bottom edge.
        int x = 0;
        for (QMdiSubWindow* s : mdi_->subWindowList()) {
            if (!s->isMinimized())
                continue;
            s->move(x, mdi_->viewport()->height() - s->height());
            x += s->width();
        }
    } else
        return false;
    return true;
}

void FrameWindow::windowChanged(rt::WindowChange what)
{
    ++applying_;
    struct Done {
        int& n;
        ~Done() { --n; }
    } done{applying_};
    switch (what) {
    case rt::WindowChange::Title:
        setWindowTitle(QString::fromStdString(window_.title()));
        break;
    case rt::WindowChange::Hidden:
        if (shown_)
            setVisible(!window_.hidden());
        break;
    case rt::WindowChange::Iconized:
        if (shown_)
            window_.iconized() ? showMinimized() : showNormal();
        break;
    case rt::WindowChange::Maximized:
        if (shown_)
            window_.maximized() ? showMaximized() : showNormal();
        break;
    case rt::WindowChange::MinSize:
        setMinimumSize(units_.x(window_.minWidth()), units_.y(window_.minHeight()));
        break;
    case rt::WindowChange::Geometry: {
        const QRect r = units_.toPixels(window_.geometry());
        if (r.x() >= 0 && r.y() >= 0)
            move(r.topLeft());
        if (r.width() > 0 && r.height() > 0)
            resize(r.size());
        break;
    }
    case rt::WindowChange::StatusText:
        status_->refresh();
        break;
    case rt::WindowChange::Activate:
        if (shown_) {
            if (isMinimized())
                showNormal();
            raise();
            activateWindow();
        }
        break;
    case rt::WindowChange::Focus:
    case rt::WindowChange::AlertKeys:
        break;
    }
}

void FrameWindow::controlChanged(rt::Control& c, rt::ControlChange what)
{
    if (commands_.controlChanged(c, what))
        return;
    if (const auto it = views_.find(c.number()); it != views_.end())
        it->second->apply(what);
}

void FrameWindow::visibilityChanged()
{
    for (auto& [n, v] : views_)
        if (const auto it = placed_.find(n); it != placed_.end())
            it->second->setVisible(v->shouldShow());
}

void FrameWindow::showHint(const std::string& text)
{
    status_->showHint(text);
}

void FrameWindow::setBlocked(bool blocked)
{
    blocked_ = blocked;
    // Only the frame's own commands: the MDI children belong to other
    // threads, which stay live.
    commands_.setBlocked(blocked);
}

void FrameWindow::showView()
{
    if (disposed_)
        return;
    ++applying_;
    setMinimumSize(units_.x(window_.minWidth()), units_.y(window_.minHeight()));
    QRect r = units_.toPixels(window_.geometry());
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    if (r.width() <= 0 || r.height() <= 0)
        r.setSize(QSize(screen.width() * 4 / 5, screen.height() * 4 / 5));
    resize(r.size());
    if (r.x() >= 0 && r.y() >= 0)
        move(r.topLeft());
    else
        move(screen.center() - QPoint(width() / 2, height() / 2));
    if (!window_.hidden())
        window_.maximized() ? showMaximized() : window_.iconized() ? showMinimized() : show();
    --applying_;
    shown_ = true;
    placement_.shown(units_.toUnits(QRect(pos(), size())));
}

void FrameWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    reportGeometry();
}

void FrameWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    reportGeometry();
}

void FrameWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportGeometry();
}

// The user moved, sized, maximised or minimised the frame: the model learns
// it, so its placement is kept as the user left it.
void FrameWindow::reportGeometry()
{
    if (disposed_ || !shown_ || applying_ > 0)
        return;
    placement_.report(window_, *this, units_.toUnits(QRect(pos(), size())));
}

void FrameWindow::dispose()
{
    disposed_ = true;
    commands_.detach();
    for (auto& [n, v] : views_)
        v->detach();
    hide();
    deleteLater();
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    if (disposed_) {
        event->accept();
        return;
    }
    event->ignore();
    // A window waiting for one above it on its thread cannot be closed.
    if (!blocked_)
        window_.post(rt::event::CloseWindow);
}

} // namespace qv::qt
