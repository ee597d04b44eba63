#pragma once
// Reports every press, release and move of the mouse over a list, on its
// header or its rows, to the list's control (list_box.h), and drags the
// right edge of a resizable column: the column follows the mouse, and the
// release writes its width into the format before it is reported.

#include <QObject>
#include <QPoint>
#include <functional>

#include "platform/qt/list_table.h"
#include "platform/qt/window_view.h"
#include "platform/runtime/window.h"

class QMouseEvent;

namespace qv::qt {

class ListMouseFilter : public QObject
{
public:
    // `resized` runs after a column's new width is in the format.
    ListMouseFilter(rt::Control& control, ListTable& table, const ControlHost& host, std::function<void()> resized);
    void detach() { live_ = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    rt::ListHit hitAt(QWidget* over, QPoint at) const;
    int rowAt(QPoint inTable) const;
    void report(rt::ListMouse what, const rt::ListHit& at) const;
    // The column being resized, were its edge at the mouse.
    int widthAt(const rt::ListHit& at) const;
    void endResize(const rt::ListHit& at);

    rt::Control& control_;
    ListTable& table_;
    const ControlHost& host_;
    std::function<void()> resized_;
    bool live_ = true;
    int resizing_ = 0; // the column whose edge is dragged, 1-based
    int resizeFrom_ = 0; // where the mouse took the edge
    int resizeWidth_ = 0; // the column's width then, in pixels
};

} // namespace qv::qt
