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

    // The explanation of a line (the likely causes of the alarm it belongs to), or "".
    using Explanation = std::function<const std::string&(std::size_t row)>;
    // Holds the row's explanation as a QString (empty when there is none).
    static constexpr int kExplanationRole = Qt::UserRole + 1;

    LinesModel(Lines lines, Version version, QObject* parent = nullptr);

    // Rows with an explanation show it as their tooltip and under kExplanationRole.
    void SetExplanation(Explanation explanation) { explanation_ = std::move(explanation); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Reloads the view when the version moved on since the last refresh.
    void Refresh();

private:
    Lines lines_;
    Version version_;
    Explanation explanation_;
    std::uint64_t shown_ = 0;
    int rows_ = 0;
};

}  // namespace kestrove
