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
    beginResetModel();
    shown_ = grid_.Version();
    rows_ = static_cast<int>(grid_.Rows().size());
    endResetModel();
}

}  // namespace kestrove
