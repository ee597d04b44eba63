#pragma once
// A pop-up (context) menu window: its controls are the items (a Menu control
// holds a submenu's, a Check control is a check item ticked by its value);
// the choice goes back as Accepted on the item, a dismissal as CloseWindow.

#include <QMenu>
#include <vector>

#include "platform/qt/window_view.h"

namespace qv::qt {

class PopupMenuView : public QMenu, public WindowView
{
public:
    PopupMenuView(rt::Window& window, QWidget* parent);

    rt::Window& window() const override { return window_; }
    QWidget* widget() override { return this; }
    void setBlocked(bool blocked) override { setEnabled(!blocked); }
    void showView() override;
    void dispose() override;

private:
    void addItems(QMenu* menu, const std::vector<rt::Control*>& items);
    void answer(int control);

    rt::Window& window_;
    bool answered_ = false;
    bool disposed_ = false;
};

} // namespace qv::qt
