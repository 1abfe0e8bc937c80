#include "monitor/ui/HostGridModel.h"

#include "common/ui/JapaneseFont.h"

namespace kestrove {

HostGridModel::HostGridModel(const HostGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    shown_ = grid_.Version();
    rows_ = static_cast<int>(grid_.Rows().size());
}

int HostGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int HostGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant HostGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= grid_.Rows().size()) {
        return {};
    }
    if (role == Qt::FontRole) {
        return JapaneseMonospaceFont();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    auto row = static_cast<std::size_t>(index.row());
    return QString::fromStdString(index.column() == 0 ? grid_.AddressText(row)
                                                      : grid_.MacText(row));
}

QVariant HostGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return {};
    }
    return QString::fromUtf8(section == 0 ? HostGrid::kAddressHeader : HostGrid::kMacHeader);
}

void HostGridModel::Refresh() {
    if (grid_.Version() == shown_) {
        return;
    }
    // Rows are told apart by their place only: the grid is rebuilt by every scan. Growing or
    // shrinking at the end and repainting the rest keeps the user's place and selection, where a
    // reset would throw both away.
    shown_ = grid_.Version();
    int count = static_cast<int>(grid_.Rows().size());
    if (count > rows_) {
        beginInsertRows({}, rows_, count - 1);
        rows_ = count;
        endInsertRows();
    } else if (count < rows_) {
        beginRemoveRows({}, count, rows_ - 1);
        rows_ = count;
        endRemoveRows();
    }
    if (rows_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, 1), {Qt::DisplayRole});
    }
}

}  // namespace kestrove
