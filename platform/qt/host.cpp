#include "platform/qt/host.h"
#include "platform/qt/popup_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>

#include "platform/qt/dialogs.h"
#include "platform/qt/frame_window.h"
#include "platform/qt/input_router.h"
#include "platform/qt/print_service.h"
#include "platform/qt/window_widget.h"
#include "platform/runtime/clipboard.h"
#include "platform/runtime/printing.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/text_measure.h"

namespace qv::qt {

class QtClipboard : public rt::Clipboard
{
public:
    std::string text() const override { return QGuiApplication::clipboard()->text().toStdString(); }
    void setText(const std::string& text) override
    {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    }
    // The window's own widget as it shows now, without the desktop around it.
    void setPicture(const rt::Window& window) override
    {
        QtHost* host = QtHost::instance();
        WindowView* view = host ? host->view(window) : nullptr;
        if (!view)
            return;
        QGuiApplication::clipboard()->setImage(view->widget()->grab().toImage());
    }
    std::optional<rt::ClipboardPicture> picture() const override
    {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull())
            return std::nullopt;
        return rt::ClipboardPicture{{}, image.width(), image.height()};
    }
};

namespace {
QtHost* current = nullptr;
} // namespace

QtHost::QtHost()
    : input_(std::make_unique<InputRouter>(*this))
    , clipboard_(std::make_unique<QtClipboard>())
    , printing_(std::make_unique<QtPrintService>())
{
    current = this;
    auto& s = rt::Scheduler::instance();
    s.reset();
    // Fonts are loaded here, on the host's own stack, rather than on the
    // first fiber that happens to open a window.
    QFontMetrics(defaultWindowFont()).height();
    QFontMetrics(QFont(mapFontFamily("Arial"))).height();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { pump(); });
    s.setWakeHandler([this] { wake(); });
    s.setFailureHandler([](const std::string& name, const std::string& what) {
        std::fprintf(stderr, "thread %s ended: %s\n", name.c_str(), what.c_str());
    });
    rt::setHost(this);
    rt::setClipboard(clipboard_.get());
    rt::setPrintService(printing_.get());
    // Widths in the units of the default window font, as lists measure their columns.
    rt::setTextMeasure([](const rt::FontDef& font, std::string_view text) {
        const QFont base = defaultWindowFont();
        const DialogUnits units(base);
        return units.toUnitsX(
            QFontMetrics(makeFont(font, base))
                .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
    });
    rt::setTextHeight([](const rt::FontDef& font) {
        const QFont base = defaultWindowFont();
        return DialogUnits(base).toUnitsY(QFontMetrics(makeFont(font, base)).height());
    });
    // Edit > Cut, Copy and Paste work on the field the user was in, also
    // when the menu bar has taken the focus to open the menu.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && now->metaObject()->indexOfMethod("copy()") >= 0)
                editor_ = now;
        });
}

QtHost::~QtHost()
{
    auto& s = rt::Scheduler::instance();
    // Ending the threads closes their windows while this host still listens.
    s.reset();
    s.setWakeHandler({});
    s.setFailureHandler({});
    rt::setHost(nullptr);
    rt::setClipboard(nullptr);
    rt::setPrintService(nullptr);
    rt::setTextMeasure({});
    rt::setTextHeight({});
    for (auto& [w, e] : views_)
        if (e.guard)
            e.view->dispose();
    views_.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    current = nullptr;
}

QtHost* QtHost::instance()
{
    return current;
}

int QtHost::start(std::string name, std::function<void()> body, std::size_t stackBytes)
{
    return rt::Scheduler::instance().start(std::move(name), std::move(body), stackBytes);
}

void QtHost::watchThread(int thread, std::function<void()> onEnd)
{
    watched_.emplace_back(thread, std::move(onEnd));
    wake();
}

// ---------------------------------------------------------------- scheduling

// Called from inside fibers as well as from Qt handlers: it only asks the
// Qt loop for one run of the scheduler, never runs it.
void QtHost::wake()
{
    if (pumpQueued_)
        return;
    pumpQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { pump(); }, Qt::QueuedConnection);
}

void QtHost::pump()
{
    pumpQueued_ = false;
    auto& s = rt::Scheduler::instance();
    if (s.current() != 0)
        return;
    s.fireTimers();
    s.runReady();
    const std::int64_t next = s.fireTimers();
    if (next == std::numeric_limits<std::int64_t>::max())
        timer_.stop();
    else
        timer_.start(static_cast<int>(std::clamp<std::int64_t>(next - s.now(), 0, 24 * 3600 * 1000)));
    for (size_t i = 0; i < watched_.size();) {
        if (s.isRunning(watched_[i].first)) {
            ++i;
            continue;
        }
        auto done = std::move(watched_[i].second);
        watched_.erase(watched_.begin() + static_cast<std::ptrdiff_t>(i));
        done();
    }
}

// ---------------------------------------------------------------- windows

WindowView* QtHost::view(const rt::Window& window) const
{
    const auto it = views_.find(&window);
    return it != views_.end() && it->second.guard ? it->second.view : nullptr;
}

WindowView* QtHost::viewOf(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* v = dynamic_cast<const WindowView*>(w))
            for (const auto& [win, e] : views_)
                if (e.view == v && e.guard)
                    return e.view;
    }
    return nullptr;
}

FrameWindow* QtHost::frame() const
{
    for (const auto& [w, e] : views_)
        if (w->kind() == rt::WindowKind::Frame && e.guard)
            return static_cast<FrameWindow*>(e.view);
    return nullptr;
}

WindowView* QtHost::createView(rt::Window& w)
{
    FrameWindow* f = frame();
    switch (w.kind()) {
    case rt::WindowKind::Frame:
        return new FrameWindow(w, *this);
    case rt::WindowKind::MessageBox:
        return new MessageDialog(static_cast<rt::MessageBoxWindow&>(w), f);
    case rt::WindowKind::FileDialog:
    case rt::WindowKind::FontDialog:
    case rt::WindowKind::ColorDialog:
        return ChooserView::create(w, f);
    case rt::WindowKind::PopupMenu:
        return new PopupMenuView(w, f);
    case rt::WindowKind::Normal:
        break;
    }
    if (w.def().mdi && f) {
        auto* child = new WindowWidget(w, *this, nullptr);
        f->addChild(child);
        return child;
    }
    auto* top = new WindowWidget(w, *this, f);
    top->setWindowFlags(dialogFlags(w.def().system, f != nullptr));
    return top;
}

void QtHost::keepAboveMainWindow(const rt::Window& w, QWidget& widget)
{
    // A program without a frame (a small tool) keeps its boxes and dialogs
    // above its first window, as their owner, so a click on that window
    // never hides them; only the desktop's stacking ties them, so closing
    // either never takes the other with it.
    if (frame() || !widget.isWindow() || w.kind() == rt::WindowKind::PopupMenu)
        return;
    if (!mainWindow_) {
        if (w.kind() == rt::WindowKind::Normal)
            mainWindow_ = &widget;
        return;
    }
    widget.winId();
    mainWindow_->winId();
    if (QWindow* own = widget.windowHandle())
        own->setTransientParent(mainWindow_->windowHandle());
}

void QtHost::beep(int)
{
    QApplication::beep();
}

void QtHost::windowOpened(rt::Window& w)
{
    WindowView* v = createView(w);
    if (!v)
        return;
    views_[&w] = Entry{v, v->widget()};
    keepAboveMainWindow(w, *v->widget());
    updateModality(w.thread());
    // Shown once the program has finished setting the window up (it may
    // hide, move or maximize it before its first wait).
    QPointer<QWidget> guard = v->widget();
    QMetaObject::invokeMethod(
        this,
        [this, guard, v] {
            if (guard)
                v->showView();
        },
        Qt::QueuedConnection);
}

void QtHost::windowClosed(rt::Window& w)
{
    const auto it = views_.find(&w);
    if (it == views_.end())
        return;
    Entry e = it->second;
    views_.erase(it);
    if (e.guard)
        e.view->dispose();
    updateModality(w.thread());
}

void QtHost::windowChanged(rt::Window& w, rt::WindowChange what)
{
    if (WindowView* v = view(w))
        v->windowChanged(what);
}

void QtHost::controlChanged(rt::Control& c, rt::ControlChange what)
{
    if (WindowView* v = view(c.window()))
        v->controlChanged(c, what);
}

// A window is modal for its own thread only: the windows under the top of
// a thread's stack wait, other threads' windows stay live.
void QtHost::updateModality(int thread)
{
    const auto& stack = rt::Scheduler::instance().windows(thread);
    for (size_t i = 0; i < stack.size(); ++i)
        if (WindowView* v = view(*stack[i]))
            v->setBlocked(i + 1 < stack.size());
}

void QtHost::showHint(const std::string& text)
{
    if (FrameWindow* f = frame())
        f->showHint(text);
}

bool QtHost::runStandard(const std::string& action, rt::Window& window)
{
    if (action == "close") {
        window.post(rt::event::CloseWindow);
        return true;
    }
    if (action == "cut" || action == "copy" || action == "paste" || action == "undo" || action == "selectall") {
        static const std::map<std::string, const char*> methods{
            {"cut", "cut"}, {"copy", "copy"}, {"paste", "paste"}, {"undo", "undo"}, {"selectall", "selectAll"}};
        QWidget* target = QApplication::focusWidget();
        const QByteArray method = QByteArray(methods.at(action)) + "()";
        if (!target || target->metaObject()->indexOfMethod(method) < 0)
            target = editor_;
        if (target && target->metaObject()->indexOfMethod(method) >= 0)
            QMetaObject::invokeMethod(target, methods.at(action));
        return true;
    }
    if (action == "tile" || action == "cascade" || action == "arrange") {
        if (FrameWindow* f = frame())
            f->arrange(action);
        return true;
    }
    if (action == "printsetup") {
        auto* d = new QPageSetupDialog(&printing_->printer(), frame());
        d->setAttribute(Qt::WA_DeleteOnClose);
        d->setModal(false);
        d->show();
        return true;
    }
    if (action.rfind("help", 0) == 0) {
        if (help_)
            help_(action);
        return true;
    }
    return false;
}

} // namespace qv::qt
