#include "platform/qt/window_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/qt/host.h"
#include "platform/qt/pictures.h"

namespace qv::qt {

using rt::ControlType;

WindowWidget::WindowWidget(rt::Window& window, QtHost& host, QWidget* parent)
    : QWidget(parent)
    , window_(window)
    , host_(host)
    , units_(makeFont(window.def().font, defaultWindowFont()))
    , commands_(
          window, [this](const std::string& a) { return host_.runStandard(a, window_); },
          [this](const std::string& t) { showHint(t); }, this)
    , canvas_(new QWidget(this))
{
    setObjectName(QString::fromStdString(window.def().name));
    setFont(makeFont(window.def().font, defaultWindowFont()));
    setWindowTitle(QString::fromStdString(window.title()));
    canvas_->setObjectName(QStringLiteral("canvas"));
    canvas_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (QMenuBar* bar = commands_.buildMenuBar(this))
        layout->setMenuBar(bar);
    if (QToolBar* tools = commands_.buildToolBar(this))
        layout->addWidget(tools);
    layout->addWidget(canvas_, 1);
    if (!window.def().statusZones.empty()) {
        auto* bar = new QStatusBar(this);
        layout->addWidget(bar);
        status_ = std::make_unique<StatusZones>(bar, window, units_);
    }
    buildControls();
}

WindowWidget::~WindowWidget()
{
    // The views filter events of widgets that are children of this one.
    for (auto& [n, v] : views_)
        v->detach();
}

void WindowWidget::buildControls()
{
    ControlFactory factory(*this, [this](int n) { return controlView(n); });
    std::vector<ControlView*> order;
    rt::forEachControl(window_.def().controls, [&](const rt::ControlDef& d) {
        rt::Control* c = window_.control(d.number);
        if (!c)
            return;
        if (auto v = factory.create(*c, canvas_)) {
            order.push_back(v.get());
            views_[d.number] = std::move(v);
        }
    });
    for (size_t i = 0; i < order.size(); ++i) {
        order[i]->load();
        if (i + 1 < order.size())
            ControlFactory::linkPrompt(*order[i], *order[i + 1]);
    }
    built_ = true;
    visibilityChanged();
}

ControlView* WindowWidget::controlView(int number) const
{
    const auto it = views_.find(number);
    return it == views_.end() ? nullptr : it->second.get();
}

void WindowWidget::setSubWindow(QMdiSubWindow* sub)
{
    sub_ = sub;
    sub_->setObjectName(objectName() + QStringLiteral("-sub"));
    sub_->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!window_.def().resizable)
        sub_->setWindowFlags(sub_->windowFlags() & ~Qt::WindowMaximizeButtonHint);
    sub_->installEventFilter(this);
    // Without an icon of its own the sub-window would show the toolkit's logo.
    QIcon icon = loadIcon(window_.def().icon, window_.def().module);
    if (icon.isNull()) {
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    sub_->setWindowIcon(icon);
}

QWidget* WindowWidget::outerWidget()
{
    return sub_ ? static_cast<QWidget*>(sub_) : this;
}

QSize WindowWidget::canvasSize() const
{
    const rt::Rect at = window_.geometry();
    QRect used;
    for (const auto& [n, v] : views_)
        if (v->onCanvas())
            used = used.united(v->widget()->geometry());
    const int w = at.width > 0 ? units_.x(at.width) : used.right() + units_.x(6);
    const int h = at.height > 0 ? units_.y(at.height) : used.bottom() + units_.y(6);
    return {std::max(w, 40), std::max(h, 20)};
}

// Where a window's position counts from: an MDI child's area, the frame for
// a window of its own over it, else the screen. What is kept counts from
// the same place, so a window comes back where the user left it.
QRect WindowWidget::positionArea() const
{
    if (sub_ && sub_->mdiArea())
        return QRect(QPoint(0, 0), sub_->mdiArea()->viewport()->size());
    if (parentWidget())
        return parentWidget()->window()->geometry();
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return {};
}

// Where the window stands, counted as its kept position counts.
rt::Rect WindowWidget::placeInUnits()
{
    QWidget* outer = outerWidget();
    const QPoint from = sub_ ? QPoint(0, 0) : positionArea().topLeft();
    return units_.toUnits(QRect(outer->pos() - from, canvas_->size()));
}

void WindowWidget::applyGeometry()
{
    ++applying_;
    QWidget* outer = outerWidget();
    const QSize size = canvasSize();
    canvas_->setFixedSize(size);
    if (layout())
        layout()->activate();
    outer->adjustSize();
    if (window_.def().resizable) {
        canvas_->setMinimumSize(units_.x(window_.minWidth()), units_.y(window_.minHeight()));
        canvas_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    const rt::Rect at = window_.geometry();
    const QRect area = positionArea();
    if (at.x >= 0 && at.y >= 0) {
        const QPoint p(units_.x(at.x), units_.y(at.y));
        outer->move(sub_ ? p : area.topLeft() + p);
    } else if (window_.def().center || !sub_) {
        const QSize s = outer->frameSize().isValid() ? outer->frameSize() : outer->size();
        const QPoint c = area.center() - QPoint(s.width() / 2, s.height() / 2);
        outer->move(sub_ ? QPoint(std::max(c.x(), 0), std::max(c.y(), 0)) : c);
    }
    --applying_;
}

void WindowWidget::showView()
{
    if (disposed_)
        return;
    applyGeometry();
    ++applying_;
    QWidget* outer = outerWidget();
    if (!sub_ && window_.def().system)
        fitTitle(*this);
    if (!window_.hidden()) {
        if (window_.iconized())
            outer->showMinimized();
        else if (window_.maximized())
            outer->showMaximized();
        else
            outer->show();
        if (sub_ && sub_->mdiArea())
            sub_->mdiArea()->setActiveSubWindow(sub_);
        else
            outer->activateWindow();
    }
    // Without a choice of the program's the toolkit would focus the first
    // widget it finds, which on a tabbed window is the tab bar.
    if (rt::Control* f = window_.focus() ? window_.focus() : window_.firstFocusable())
        if (ControlView* v = controlView(f->number()))
            v->widget()->setFocus();
    --applying_;
    shown_ = true;
    reportArea();
    placement_.shown(placeInUnits());
}

void WindowWidget::windowChanged(rt::WindowChange what)
{
    QWidget* outer = outerWidget();
    ++applying_;
    switch (what) {
    case rt::WindowChange::Title:
        setWindowTitle(QString::fromStdString(window_.title()));
        if (!sub_ && window_.def().system)
            fitTitle(*this);
        break;
    case rt::WindowChange::Hidden:
        if (shown_)
            outer->setVisible(!window_.hidden());
        break;
    case rt::WindowChange::Iconized:
        if (shown_)
            window_.iconized() ? outer->showMinimized() : outer->showNormal();
        break;
    case rt::WindowChange::Maximized:
        if (shown_)
            window_.maximized() ? outer->showMaximized() : outer->showNormal();
        break;
    case rt::WindowChange::Geometry:
    case rt::WindowChange::MinSize:
        if (shown_)
            applyGeometry();
        break;
    case rt::WindowChange::StatusText:
        if (status_)
            status_->refresh();
        break;
    case rt::WindowChange::Focus:
        if (rt::Control* f = window_.focus())
            if (ControlView* v = controlView(f->number()))
                v->widget()->setFocus();
        break;
    case rt::WindowChange::Activate:
        if (shown_) {
            if (outer->isMinimized())
                outer->showNormal();
            outer->raise();
            outer->activateWindow();
            if (auto* sub = qobject_cast<QMdiSubWindow*>(outer))
                if (sub->mdiArea())
                    sub->mdiArea()->setActiveSubWindow(sub);
        }
        break;
    case rt::WindowChange::AlertKeys:
        break;
    }
    --applying_;
}

void WindowWidget::controlChanged(rt::Control& c, rt::ControlChange what)
{
    if (what == rt::ControlChange::Created) {
        ControlFactory factory(*this, [this](int n) { return controlView(n); });
        if (auto v = factory.create(c, canvas_)) {
            v->load();
            v->widget()->setVisible(v->shouldShow());
            views_[c.number()] = std::move(v);
        }
        return;
    }
    if (what == rt::ControlChange::Destroyed) {
        if (const auto it = views_.find(c.number()); it != views_.end()) {
            it->second->detach();
            it->second->widget()->hide();
            it->second->widget()->deleteLater();
            views_.erase(it);
        }
        return;
    }
    if (commands_.controlChanged(c, what))
        return;
    if (ControlView* v = controlView(c.number()))
        v->apply(what);
}

void WindowWidget::visibilityChanged()
{
    if (!built_)
        return;
    for (auto& [n, v] : views_)
        if (v->onCanvas())
            v->widget()->setVisible(v->shouldShow());
}

void WindowWidget::showHint(const std::string& text)
{
    if (status_)
        status_->showHint(text);
    else
        host_.showHint(text);
}

void WindowWidget::setBlocked(bool blocked)
{
    blocked_ = blocked;
    canvas_->setEnabled(!blocked);
    commands_.setBlocked(blocked);
}

void WindowWidget::dispose()
{
    disposed_ = true;
    commands_.detach();
    for (auto& [n, v] : views_)
        v->detach();
    QWidget* outer = outerWidget();
    if (sub_)
        sub_->removeEventFilter(this);
    outer->hide();
    outer->deleteLater();
}

bool WindowWidget::pressDefault()
{
    ControlView* button = nullptr;
    for (auto& [n, v] : views_)
        if (v->control().type() == ControlType::Button && v->control().isDefault() && v->widget()->isVisible()
            && v->widget()->isEnabled())
            button = v.get();
    if (!button)
        return false;
    // The field being edited is complete first, as when focus leaves it.
    if (QWidget* f = QApplication::focusWidget())
        for (auto& [n, v] : views_)
            if (v->widget() == f || v->widget()->isAncestorOf(f))
                v->commit();
    window_.post(rt::event::Accepted, button->control().number());
    return true;
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
    if (disposed_) {
        event->accept();
        return;
    }
    // The program decides whether the window closes.
    event->ignore();
    // A window waiting for one above it on its thread cannot be closed.
    if (!blocked_)
        window_.post(rt::event::CloseWindow);
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == sub_ && (event->type() == QEvent::Move || event->type() == QEvent::WindowStateChange))
        || (watched == canvas_ && event->type() == QEvent::Resize))
        reportGeometry();
    return QWidget::eventFilter(watched, event);
}

void WindowWidget::moveEvent(QMoveEvent* event)
{
    if (!sub_)
        reportGeometry();
    QWidget::moveEvent(event);
}

void WindowWidget::changeEvent(QEvent* event)
{
    if (!sub_ && event->type() == QEvent::WindowStateChange)
        reportGeometry();
    QWidget::changeEvent(event);
}

// The user moved or sized the window: the model learns the new place, and
// the program hears of it as it would from the window system.
void WindowWidget::reportGeometry()
{
    if (disposed_ || !shown_ || applying_ > 0)
        return;
    const bool areaChanged = reportArea();
    placement_.report(window_, *outerWidget(), placeInUnits());
    // The placement reports no size while the window is maximised.
    if (areaChanged && outerWidget()->isMaximized())
        window_.post(rt::event::Sized);
}

bool WindowWidget::reportArea()
{
    const rt::Rect area = units_.toUnits(QRect(QPoint(0, 0), canvas_->size()));
    return window_.userArea(area.width, area.height);
}

} // namespace qv::qt
