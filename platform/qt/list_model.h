#pragma once
// A table model over the rows a list control shows. It reads the list
// source cell by cell as the view draws, so a list over a large view costs
// only what is on screen.

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

#include "platform/qt/list_format.h"
#include "platform/runtime/list_source.h"

namespace qv::qt {

// What a list's cells carry beyond Qt's own roles, for its delegate.
namespace list_role {
constexpr int SelectedText = Qt::UserRole + 1; // QColor, when the column or row gives one
constexpr int SelectedBackground = Qt::UserRole + 2;
constexpr int RightBorder = Qt::UserRole + 3; // bool
} // namespace list_role

// Each column of a format shows its own field of the rows (queueFields);
// without a format, field n is column n.
class ListModel : public QAbstractTableModel, private rt::ListObserver
{
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);
    ~ListModel() override;

    void setSource(rt::ListSource* source);
    rt::ListSource* source() const { return source_; }
    void setColumns(std::vector<rt::ListFormatColumn> columns);
    const std::vector<rt::ListFormatColumn>& columns() const { return columns_; }
    // The pictures of icon numbers 1, 2, ... (list_prop::Icons).
    void setIcons(std::vector<QIcon> icons);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void listReset() override;
    void rowsChanged(int first, int last) override;
    void sourceDestroyed() override;

    int fieldOf(int column) const;
    QVariant colour(const QModelIndex& index, int which) const;

    rt::ListSource* source_ = nullptr;
    std::vector<rt::ListFormatColumn> columns_;
    std::vector<int> fields_;
    std::vector<QIcon> icons_;
};

} // namespace qv::qt
