#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QFontMetrics>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrove {

// A list box over lines the engine owns (`List1`, `List2`): nothing is copied, rows are made
// into text by the engine only when drawn. Between two moves of the list's generation lines are
// only added, so a refresh tells the view about the new rows instead of reloading the whole list;
// the widest line is tracked as lines arrive, so the horizontal scroll range costs nothing per row.
class LinesModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using Count = std::function<std::size_t()>;
    using Line = std::function<std::string(std::size_t row)>;
    // What tells a row from the others, so inserted rows are found without making every line.
    using Key = std::function<std::size_t(std::size_t row)>;
    using Stamp = std::function<std::uint64_t()>;
    // `List1` appends at its end; `List2` keeps text order, so its new lines land anywhere.
    enum class Growth { Append, Insert };
    enum class Change { None, Added, Reloaded };

    // The explanation of a line (the likely causes of the alarm it belongs to), or "".
    using Explanation = std::function<std::string(std::size_t row)>;
    // Holds the row's explanation as a QString (empty when there is none).
    static constexpr int kExplanationRole = Qt::UserRole + 1;

    LinesModel(Count count, Line line, Stamp version, Stamp generation, Growth growth,
               QObject* parent = nullptr);

    // Rows of a list that grows by insertion are told apart by this key (by their text's hash
    // when none is given).
    void SetKey(Key key) { key_ = std::move(key); }
    // Rows with an explanation show it as their tooltip and under kExplanationRole.
    void SetExplanation(Explanation explanation) { explanation_ = std::move(explanation); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The font the view draws with, and what its item frame adds to the text: every row's size
    // hint is the widest line's, so a view with uniform item sizes scrolls to the longest.
    void SetMetrics(const QFont& font, int horizontalPadding, int rowHeight);
    int WidestLine() const { return widest_; }

    // Brings the rows up to the engine's lines.
    Change Refresh();

private:
    Change Reload();
    Change Append(int count);
    Change Insert(std::size_t total);
    void Measure(std::size_t first, std::size_t last);
    int Width(std::string_view utf8);
    std::size_t KeyOf(std::size_t row) const;

    Count count_;
    Line line_;
    Key key_;
    Stamp version_;
    Stamp generation_;
    Growth growth_;
    std::uint64_t shownVersion_ = 0;
    std::uint64_t shownGeneration_ = 0;
    Explanation explanation_;
    int rows_ = 0;
    // Inserted lines are found by comparing the shown lines' keys with the engine's list.
    std::vector<std::size_t> hashes_;
    QFontMetrics metrics_{QFont()};
    std::unordered_map<char32_t, int> advances_;
    int padding_ = 0;
    int rowHeight_ = 0;
    int widest_ = 0;
};

}  // namespace kestrove
