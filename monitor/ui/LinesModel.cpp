#include "monitor/ui/LinesModel.h"

namespace kestrove {

LinesModel::LinesModel(Lines lines, Version version, QObject* parent)
    : QAbstractListModel(parent), lines_(std::move(lines)), version_(std::move(version)) {
    shown_ = version_();
    rows_ = static_cast<int>(lines_().size());
}

int LinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant LinesModel::data(const QModelIndex& index, int role) const {
    const auto& lines = lines_();
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= lines.size()) {
        return {};
    }
    const std::string& line = lines[static_cast<std::size_t>(index.row())];
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void LinesModel::Refresh() {
    std::uint64_t version = version_();
    if (version == shown_) {
        return;
    }
    beginResetModel();
    shown_ = version;
    rows_ = static_cast<int>(lines_().size());
    endResetModel();
}

}  // namespace kestrove
