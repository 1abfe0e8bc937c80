#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrove {

// A list box over lines the engine owns (`List1`, `List2`): nothing is copied, rows are turned
// into text only when drawn, and the view is told to reload only when the lines changed.
class LinesModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using Lines = std::function<const std::vector<std::string>&()>;
    using Version = std::function<std::uint64_t()>;

    LinesModel(Lines lines, Version version, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Reloads the view when the version moved on since the last refresh.
    void Refresh();

private:
    Lines lines_;
    Version version_;
    std::uint64_t shown_ = 0;
    int rows_ = 0;
};

}  // namespace kestrove
