#include "platform/qt/popup_menu.h"

#include <QCursor>
#include <QTimer>

namespace qv::qt {

PopupMenuView::PopupMenuView(rt::Window& window, QWidget* parent)
    : QMenu(parent)
    , window_(window)
{
    setObjectName(QStringLiteral("popupMenu"));
    for (const auto& c : window.controls()) {
        if (c->type() == rt::ControlType::Separator) {
            addSeparator();
            continue;
        }
        QAction* a = addAction(QString::fromStdString(c->text()));
        a->setEnabled(c->enabled());
        const int number = c->number();
        connect(a, &QAction::triggered, this, [this, number] { answer(number); });
    }
    // The menu hides before it reports the chosen action: decide afterwards.
    connect(this, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { answer(0); }); });
}

void PopupMenuView::showView()
{
    popup(QCursor::pos());
}

void PopupMenuView::answer(int control)
{
    if (answered_ || disposed_)
        return;
    answered_ = true;
    if (control)
        window_.post(rt::event::Accepted, control);
    else
        window_.post(rt::event::CloseWindow);
}

void PopupMenuView::dispose()
{
    disposed_ = true;
    hide();
    deleteLater();
}

} // namespace qv::qt
