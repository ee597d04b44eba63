#include "platform/qt/list_model.h"

#include <QFont>

#include "platform/qt/dialogs.h"
#include "platform/runtime/list_layout.h"
#include "platform/runtime/window.h"

namespace qv::qt {

ListModel::ListModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

ListModel::~ListModel()
{
    if (source_)
        source_->removeObserver(this);
}

void ListModel::setSource(rt::ListSource* source)
{
    if (source == source_)
        return;
    beginResetModel();
    if (source_)
        source_->removeObserver(this);
    source_ = source;
    if (source_)
        source_->addObserver(this);
    endResetModel();
}

namespace {
bool sameButWidths(std::vector<rt::ListFormatColumn> a, std::vector<rt::ListFormatColumn> b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i].width = b[i].width;
    return a == b;
}
} // namespace

void ListModel::setColumns(std::vector<rt::ListFormatColumn> columns)
{
    // A column dragged wider shows the same cells: the view keeps its rows,
    // highlight and scroll position.
    if (sameButWidths(columns_, columns)) {
        columns_ = std::move(columns);
        return;
    }
    beginResetModel();
    columns_ = std::move(columns);
    fields_ = rt::queueFields(rt::ListFormat{columns_, {}});
    endResetModel();
}

void ListModel::setIcons(std::vector<QIcon> icons)
{
    beginResetModel();
    icons_ = std::move(icons);
    endResetModel();
}

void ListModel::sourceDestroyed()
{
    beginResetModel();
    source_ = nullptr;
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !source_ ? 0 : source_->rowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // Without a format every field of the source is a column.
    if (!columns_.empty())
        return static_cast<int>(columns_.size());
    return source_ ? source_->columnCount() : 1;
}

int ListModel::fieldOf(int column) const
{
    return column < static_cast<int>(fields_.size()) ? fields_[column] : column;
}

// A row's own colour first, then its column's; -1 leaves it to the list.
QVariant ListModel::colour(const QModelIndex& index, int which) const
{
    const rt::ListFormatColumn& c = columns_[index.column()];
    long colour = rt::listCell(*source_, index.row(), c, fieldOf(index.column())).colours[which];
    if (colour < 0 && c.colours)
        colour = (*c.colours)[which];
    return colour < 0 ? QVariant() : QVariant(fromColorRef(static_cast<int>(colour)));
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!source_ || !index.isValid())
        return {};
    const bool formatted = index.column() < static_cast<int>(columns_.size());
    // Editable combo boxes read their items' texts in the edit role.
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole) {
        // A list holds values; its format's column pictures show them.
        std::string cell = source_->cell(index.row(), fieldOf(index.column()));
        if (formatted)
            cell = rt::formatPicture(cell, columns_[index.column()].picture.value_or(""));
        return QString::fromStdString(cell);
    }
    if (!formatted)
        return {};
    const rt::ListFormatColumn& c = columns_[index.column()];
    switch (role) {
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(c.data.align()));
    case Qt::ForegroundRole:
        return colour(index, 0);
    case Qt::BackgroundRole:
        return colour(index, 1);
    case list_role::SelectedText:
        return colour(index, 2);
    case list_role::SelectedBackground:
        return colour(index, 3);
    case list_role::RightBorder:
        return c.has(rt::list_mark::RightBorder);
    case Qt::DecorationRole:
        if (c.has(rt::list_mark::Icon) || c.has(rt::list_mark::TransparentIcon)) {
            const int icon = rt::listCell(*source_, index.row(), c, fieldOf(index.column())).icon;
            if (icon >= 1 && icon <= static_cast<int>(icons_.size()))
                return icons_[static_cast<std::size_t>(icon - 1)];
        }
        return {};
    case Qt::FontRole:
        if (c.has(rt::list_mark::Underline)) {
            QFont underlined;
            underlined.setUnderline(true);
            return underlined;
        }
        return {};
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section >= static_cast<int>(columns_.size()))
        return {};
    const rt::ListFormatColumn& c = columns_[section];
    if (role == Qt::DisplayRole)
        return QString::fromStdString(c.header.value_or(""));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(c.headerJustification.align(c.data.align())));
    return {};
}

void ListModel::listReset()
{
    beginResetModel();
    endResetModel();
}

void ListModel::rowsChanged(int first, int last)
{
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

} // namespace qv::qt
