#pragma once
// A pop-up (context) menu window: its controls are the items; the choice
// goes back as Accepted on the item, a dismissal as CloseWindow.

#include <QMenu>

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
    void answer(int control);

    rt::Window& window_;
    bool answered_ = false;
    bool disposed_ = false;
};

} // namespace qv::qt
