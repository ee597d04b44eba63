#include "platform/qt/popup_menu.h"

#include <QCursor>
#include <QTimer>

namespace qv::qt {

PopupMenuView::PopupMenuView(rt::Window& window, QWidget* parent)
    : QMenu(parent)
    , window_(window)
{
    setObjectName(QStringLiteral("popupMenu"));
    std::vector<rt::Control*> top;
    for (const auto& c : window.controls())
        if (!c->parent())
            top.push_back(c.get());
    addItems(this, top);
    // The menu hides before it reports the chosen action: decide afterwards.
    connect(this, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { answer(0); }); });
}

void PopupMenuView::addItems(QMenu* menu, const std::vector<rt::Control*>& items)
{
    for (rt::Control* c : items) {
        const QString text = QString::fromStdString(c->text());
        switch (c->type()) {
        case rt::ControlType::Separator:
            menu->addSeparator();
            break;
        case rt::ControlType::Menu: {
            QMenu* sub = menu->addMenu(text);
            sub->menuAction()->setEnabled(c->enabled());
            addItems(sub, c->children());
            break;
        }
        default: {
            QAction* a = menu->addAction(text);
            a->setEnabled(c->enabled());
            if (c->type() == rt::ControlType::Check) {
                a->setCheckable(true);
                a->setChecked(!c->value().empty());
            }
            const int number = c->number();
            connect(a, &QAction::triggered, this, [this, number] { answer(number); });
            break;
        }
        }
    }
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
