#include "platform/qt/list_table.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <qdrawutil.h>

#include "platform/qt/list_model.h"

namespace qv::qt {

// ---------------------------------------------------------------- header

ListHeader::ListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(false);
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setHighlightSections(false);
    setStretchLastSection(false);
    viewport()->setMouseTracking(true);
}

void ListHeader::setPressedColumn(int column)
{
    if (column == pressed_)
        return;
    pressed_ = column;
    viewport()->update();
}

void ListHeader::setDragText(const QString& text, int x)
{
    if (text == dragText_ && x == dragX_)
        return;
    dragText_ = text;
    dragX_ = x;
    viewport()->update();
}

// Drawn sunken whatever the style makes of a pressed section.
void ListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex + 1 != pressed_)
        return;
    painter->save();
    painter->setClipRect(rect);
    qDrawShadePanel(painter, rect, palette(), true, 1);
    painter->fillRect(rect.adjusted(1, 1, -1, -1), QColor(0, 0, 0, 32));
    painter->restore();
}

void ListHeader::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    if (dragText_.isEmpty())
        return;
    QPainter p(viewport());
    p.setPen(QColor(128, 128, 128));
    const QRect r(dragX_, 0, fontMetrics().horizontalAdvance(dragText_) + 8, viewport()->height());
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, dragText_);
}

// ---------------------------------------------------------------- cells

void ListCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant text = index.data(list_role::SelectedText);
    const QVariant background = index.data(list_role::SelectedBackground);
    if (text.isValid())
        option->palette.setColor(QPalette::HighlightedText, text.value<QColor>());
    if (background.isValid())
        option->palette.setColor(QPalette::Highlight, background.value<QColor>());
    // The current column stands out within the selected row.
    if (current_ > 0 && index.column() + 1 == current_ && (option->state & QStyle::State_Selected))
        option->palette.setColor(QPalette::Highlight, option->palette.color(QPalette::Highlight).darker(160));
}

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    const int offset = index.column() < static_cast<int>(offsets_.size()) ? offsets_[index.column()] : 0;
    if (offset > 0 && !(opt.displayAlignment & Qt::AlignHCenter)) {
        // The cell's background spans the offset; its text does not.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
        if (opt.displayAlignment & Qt::AlignRight)
            opt.rect.setRight(opt.rect.right() - offset);
        else
            opt.rect.setLeft(opt.rect.left() + offset);
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    if (index.data(list_role::RightBorder).toBool()) {
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
}

// ---------------------------------------------------------------- table

ListTable::ListTable(QWidget* parent)
    : QTableView(parent)
    , header_(new ListHeader(this))
    , delegate_(new ListCellDelegate(this))
{
    setHorizontalHeader(header_);
    setItemDelegate(delegate_);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    viewport()->setMouseTracking(true);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { layOutSections(); });
}

void ListTable::setColumns(std::vector<Column> columns)
{
    columns_ = std::move(columns);
    std::vector<int> offsets;
    for (const Column& c : columns_)
        offsets.push_back(c.offset);
    delegate_->setOffsets(std::move(offsets));
    // A list without a format shows its fields across the whole list.
    header_->setStretchLastSection(columns_.empty());
    layOutSections();
    updateGeometries();
}

void ListTable::setColumnPixels(int column, int pixels)
{
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return;
    columns_[column].pixels = std::max(pixels, 0);
    layOutSections();
}

int ListTable::scrolledColumns() const
{
    return horizontalScrollBar()->value();
}

void ListTable::setScrollBars(bool horizontal, bool vertical)
{
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    updateGeometries();
}

void ListTable::layOutSections()
{
    if (!model())
        return;
    int toScroll = scrolledColumns();
    for (int i = 0; i < static_cast<int>(columns_.size()) && i < model()->columnCount(); ++i) {
        const Column& c = columns_[i];
        const bool out = !c.fixed && toScroll > 0;
        toScroll -= out ? 1 : 0;
        const int size = out ? 0 : c.pixels + (c.border ? 1 : 0);
        if (header_->sectionSize(i) != size)
            header_->resizeSection(i, size);
    }
    header_->setOffset(0);
}

// Qt would scroll by pixels or by sections from the first; here the scroll
// bar counts the columns that are not fixed, as many as must go for the last
// one to show.
void ListTable::updateGeometries()
{
    QTableView::updateGeometries();
    if (columns_.empty())
        return;
    int room = viewport()->width();
    std::vector<int> scrolling;
    for (const Column& c : columns_) {
        if (c.fixed)
            room -= c.pixels + (c.border ? 1 : 0);
        else
            scrolling.push_back(c.pixels + (c.border ? 1 : 0));
    }
    int shown = 0, width = 0;
    for (auto it = scrolling.rbegin(); it != scrolling.rend() && width + *it <= room; ++it, ++shown)
        width += *it;
    const int most = std::max(static_cast<int>(scrolling.size()) - std::max(shown, 1), 0);
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? 0 : most);
    bar->setSingleStep(1);
    bar->setPageStep(std::max(shown, 1));
    header_->setOffset(0);
}

void ListTable::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(columns_.empty() ? dx : 0, dy);
}

} // namespace qv::qt
