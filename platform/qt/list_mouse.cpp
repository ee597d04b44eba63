#include "platform/qt/list_mouse.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "platform/runtime/list_layout.h"

namespace qv::qt {

ListMouseFilter::ListMouseFilter(
    rt::Control& control, ListTable& table, const ControlHost& host, std::function<void()> resized)
    : QObject(&table)
    , control_(control)
    , table_(table)
    , host_(host)
    , resized_(std::move(resized))
{
    table_.horizontalHeader()->viewport()->installEventFilter(this);
    table_.viewport()->installEventFilter(this);
}

int ListMouseFilter::rowAt(QPoint inTable) const
{
    const QHeaderView* header = table_.horizontalHeader();
    if (!header->isHidden() && header->geometry().contains(inTable))
        return 0;
    const QPoint inViewport = table_.viewport()->mapFrom(&table_, inTable);
    if (!table_.viewport()->rect().contains(inViewport))
        return -1;
    const QModelIndex i = table_.indexAt(inViewport);
    return i.isValid() ? i.row() + 1 : -1;
}

// Columns are measured from the header's left, which the frame moves in a
// little from the list's; the hit keeps the list's own pixels.
rt::ListHit ListMouseFilter::hitAt(QWidget* over, QPoint at) const
{
    const QPoint inTable = over->mapTo(&table_, at);
    const int columnX = table_.viewport()->mapFrom(&table_, inTable).x();
    rt::ListHit hit = rt::listHit(
        rt::readListFormat(control_.format()).format, control_.listGeometry(), columnX, inTable.y(), rowAt(inTable));
    hit.x = inTable.x();
    hit.y = inTable.y();
    return hit;
}

void ListMouseFilter::report(rt::ListMouse what, const rt::ListHit& at) const
{
    control_.userListMouse(what, at);
}

int ListMouseFilter::widthAt(const rt::ListHit& at) const
{
    return std::max(resizeWidth_ + at.x - resizeFrom_, 0);
}

void ListMouseFilter::endResize(const rt::ListHit& at)
{
    const int column = resizing_;
    // A click on an edge leaves the width as it was, unrounded.
    if (widthAt(at) != resizeWidth_) {
        control_.userFormat(rt::withColumnWidth(control_.format(), column, host_.units().toUnitsX(widthAt(at))));
        resized_();
    }
    resizing_ = 0;
    rt::ListHit release = at;
    release.column = column;
    release.edge = true;
    report(rt::ListMouse::LeftUp, release);
}

bool ListMouseFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    if (!live_ || !mouse)
        return false;
    auto* over = static_cast<QWidget*>(watched);
    const auto* m = static_cast<QMouseEvent*>(event);
    const rt::ListHit at = hitAt(over, m->position().toPoint());
    const bool left = m->button() == Qt::LeftButton, right = m->button() == Qt::RightButton;
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (left && at.edge) {
            resizing_ = at.column;
            resizeFrom_ = at.x;
            resizeWidth_ = table_.columns()[at.column - 1].pixels;
        }
        if (left || right)
            report(left ? rt::ListMouse::LeftDown : rt::ListMouse::RightDown, at);
        return resizing_ > 0; // the list does not select under an edge
    case QEvent::MouseButtonRelease:
        if (left && resizing_ > 0) {
            endResize(at);
            return true;
        }
        if (left || right)
            report(left ? rt::ListMouse::LeftUp : rt::ListMouse::RightUp, at);
        return false;
    default: // a move
        if (resizing_ > 0) {
            table_.setColumnPixels(resizing_ - 1, widthAt(at));
        } else if (m->buttons() == Qt::NoButton) {
            if (at.edge)
                over->setCursor(Qt::SplitHCursor);
            else if (over->cursor().shape() == Qt::SplitHCursor)
                over->unsetCursor();
        }
        report(rt::ListMouse::Move, at);
        return resizing_ > 0;
    }
}

} // namespace qv::qt
