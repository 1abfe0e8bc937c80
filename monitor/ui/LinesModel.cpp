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
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= lines.size()) {
        return {};
    }
    auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole) {
        const std::string& line = lines[row];
        return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    if ((role == Qt::ToolTipRole || role == kExplanationRole) && explanation_) {
        const std::string& text = explanation_(row);
        if (!text.empty() || role == kExplanationRole) {
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
    return {};
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
