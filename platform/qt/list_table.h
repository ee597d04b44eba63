#pragma once
// The table a list control is drawn in. Its program owns the columns, so
// Qt moves and sizes none of them: widths come from the format, and a
// sideways scroll takes whole columns out on the left while the fixed ones
// stay in place. The header draws a pressed cell and the text of a header
// being dragged; the delegate a cell's colours, underline, right border and
// the current column within the selected row.

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

namespace qv::qt {

class ListHeader : public QHeaderView
{
public:
    explicit ListHeader(QWidget* parent);
    // 1-based; 0 none.
    void setPressedColumn(int column);
    // Drawn in grey with its left at x pixels of the header; empty hides it.
    void setDragText(const QString& text, int x);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    int pressed_ = 0;
    QString dragText_;
    int dragX_ = 0;
};

class ListCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // 1-based; 0 none.
    void setCurrentColumn(int column) { current_ = column; }
    // Pixels between each column's text and the side it is justified to.
    void setOffsets(std::vector<int> pixels) { offsets_ = std::move(pixels); }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int current_ = 0;
    std::vector<int> offsets_;
};

class ListTable : public QTableView
{
public:
    struct Column {
        int pixels = 0;
        bool fixed = false;
        bool border = false; // one pixel more
        int offset = 0; // of the text from the side it is justified to
    };
    explicit ListTable(QWidget* parent);

    ListHeader* header() const { return header_; }
    ListCellDelegate* delegate() const { return delegate_; }
    void setColumns(std::vector<Column> columns);
    const std::vector<Column>& columns() const { return columns_; }
    // While the user drags a column's edge.
    void setColumnPixels(int column, int pixels);
    // Columns that are not fixed taken out on the left.
    int scrolledColumns() const;
    // Without a horizontal bar the columns do not scroll sideways; the
    // vertical one shows always, or while the rows overflow.
    void setScrollBars(bool horizontal, bool vertical);

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void layOutSections();

    ListHeader* header_;
    ListCellDelegate* delegate_;
    std::vector<Column> columns_;
};

} // namespace qv::qt
