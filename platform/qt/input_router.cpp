#include "platform/qt/input_router.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWheelEvent>

#include "platform/qt/host.h"
#include "platform/qt/key_map.h"
#include "platform/runtime/keycodes.h"

namespace qv::qt {
namespace {

// The control number of the widget or of the nearest control around it.
int controlOf(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        const QVariant n = w->property("qvControl");
        if (n.isValid())
            return n.toInt();
        if (w->isWindow())
            break;
    }
    return 0;
}

void postAlert(rt::Window& window, int control, int code)
{
    window.post(rt::Event{rt::event::PreAlertKey, control, code});
    window.post(rt::Event{rt::event::AlertKey, control, code});
}

} // namespace

InputRouter::InputRouter(QtHost& host)
    : host_(host)
{
    qApp->installEventFilter(this);
}

InputRouter::~InputRouter()
{
    qApp->removeEventFilter(this);
}

bool InputRouter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Wheel)
        return wheel(watched, static_cast<QWheelEvent*>(event));
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    WindowView* view = host_.viewOf(widget);
    if (!view || !widget->isEnabled())
        return false;
    rt::Window& window = view->window();

    if (type != QEvent::KeyPress) {
        const auto* m = static_cast<QMouseEvent*>(event);
        // A click a child ignored comes to its parent again: count it once.
        if (QWidget* child = widget->childAt(m->position().toPoint());
            child && !child->testAttribute(Qt::WA_TransparentForMouseEvents))
            return false;
        int code = 0;
        if (m->button() == Qt::LeftButton)
            code = type == QEvent::MouseButtonDblClick ? rt::key::MouseLeft2 : rt::key::MouseLeft;
        else if (m->button() == Qt::RightButton)
            code = rt::key::MouseRight;
        if (code && window.alertKeys().count(code)) {
            const int control = controlOf(widget);
            postAlert(window, control ? control : (window.focus() ? window.focus()->number() : 0), code);
        }
        return false; // the click still reaches the control
    }

    if (QApplication::activePopupWidget())
        return false; // an open drop-down list has the keys
    const auto* k = static_cast<QKeyEvent*>(event);
    const int code = keymap::toKeyCode(k->key(), k->modifiers());
    if (code == 0)
        return false;
    if (window.alertKeys().count(code)) {
        postAlert(window, window.focus() ? window.focus()->number() : 0, code);
        return true;
    }
    QWidget* focus = QApplication::focusWidget();
    if (code == rt::key::Enter) {
        if (qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus))
            return false;
        if (auto* b = qobject_cast<QAbstractButton*>(focus); b && controlOf(b)) {
            b->click(); // Enter presses the button that has the focus
            return true;
        }
        return view->pressDefault();
    }
    if (code == rt::key::Esc && window.kind() == rt::WindowKind::Normal) {
        window.post(rt::event::CloseWindow);
        return true;
    }
    return false;
}

// A window that asks for the wheel (its scroller) gets it as an event with
// the delta and the control under the mouse; text boxes scroll their lines
// themselves, and every other window keeps Qt's own scrolling.
bool InputRouter::wheel(QObject* watched, QWheelEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    WindowView* view = host_.viewOf(widget);
    if (!view || !widget->isEnabled())
        return false;
    rt::Window& window = view->window();
    if (!window.alertKeys().count(rt::event::MouseWheel))
        return false;
    for (QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget())
        if (qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w))
            return false;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return false;
    window.post(rt::Event{rt::event::MouseWheel, controlOf(widget), delta});
    event->accept();
    return true;
}

} // namespace qv::qt
