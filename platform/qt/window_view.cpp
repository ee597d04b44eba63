#include "platform/qt/window_view.h"

#include <QFontMetrics>

namespace qv::qt {

Qt::WindowFlags dialogFlags(bool systemMenu, bool ofFrame)
{
    Qt::WindowFlags flags = Qt::Window;
    if (ofFrame)
        flags |= Qt::Dialog;
    if (!systemMenu)
        return flags | Qt::FramelessWindowHint;
    return flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void fitTitle(QWidget& window)
{
    // The title bar's font is the desktop's; the window's own, a little
    // larger, and room for the icon and the close button are a safe guess.
    QFont font = window.font();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    const int needed = QFontMetrics(font).horizontalAdvance(window.windowTitle()) + 96;
    if (window.minimumWidth() < needed)
        window.setMinimumWidth(needed);
}

void PlacementReporter::report(rt::Window& window, const QWidget& outer, const rt::Rect& at)
{
    const bool maximized = outer.isMaximized(), iconized = outer.isMinimized();
    const bool stateChanged = maximized != maximized_ || iconized != iconized_;
    maximized_ = maximized;
    iconized_ = iconized;
    window.userState(maximized, iconized);
    if (maximized || iconized) {
        if (stateChanged)
            window.post(rt::event::Sized);
        return;
    }
    window.userGeometry(at);
    if (at.x != reported_.x || at.y != reported_.y)
        window.post(rt::event::Moved);
    if (stateChanged || at.width != reported_.width || at.height != reported_.height)
        window.post(rt::event::Sized);
    reported_ = at;
}

} // namespace qv::qt
