#include "monitor/ui/LinesModel.h"

#include <QSize>
#include <algorithm>

namespace kestrove {
namespace {

// The next code point of `text` from `pos`; a malformed sequence counts as one U+FFFD per byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return cp;
}

}  // namespace

LinesModel::LinesModel(Count count, Line line, Stamp version, Stamp generation, Growth growth,
                       QObject* parent)
    : QAbstractListModel(parent),
      count_(std::move(count)),
      line_(std::move(line)),
      version_(std::move(version)),
      generation_(std::move(generation)),
      growth_(growth) {
    Reload();
}

int LinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant LinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    if (role == Qt::SizeHintRole) {
        return rowHeight_ > 0 ? QVariant(QSize(widest_ + padding_, rowHeight_)) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != kExplanationRole) {
        return {};
    }
    auto row = static_cast<std::size_t>(index.row());
    if (row >= count_()) {
        return {};
    }
    const std::string line = line_(row);
    QString text = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    if (role == Qt::DisplayRole) {
        return text;
    }
    QString explanation;
    if (explanation_) {
        const std::string causes = explanation_(row);
        explanation = QString::fromUtf8(causes.data(), static_cast<qsizetype>(causes.size()));
    }
    if (role == kExplanationRole) {
        return explanation;
    }
    // The whole line, which the list may be too narrow to show, then the likely causes.
    return explanation.isEmpty() ? text : text + QChar('\n') + explanation;
}

void LinesModel::SetMetrics(const QFont& font, int horizontalPadding, int rowHeight) {
    metrics_ = QFontMetrics(font);
    advances_.clear();
    padding_ = horizontalPadding;
    rowHeight_ = rowHeight;
    widest_ = 0;
    Measure(0, static_cast<std::size_t>(rows_));
}

int LinesModel::Width(std::string_view utf8) {
    // The lists draw in a fixed-pitch font without kerning, so a line is as wide as its
    // characters; one measure per distinct character keeps a burst of alarms cheap.
    int width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = NextCodePoint(utf8, pos);
        auto [it, added] = advances_.try_emplace(cp, 0);
        if (added) {
            it->second = metrics_.horizontalAdvance(QString::fromUcs4(&cp, 1));
        }
        width += it->second;
    }
    return width;
}

void LinesModel::Measure(std::size_t first, std::size_t last) {
    if (rowHeight_ <= 0) {
        return;
    }
    last = std::min(last, count_());
    for (std::size_t i = first; i < last; ++i) {
        widest_ = std::max(widest_, Width(line_(i)));
    }
}

std::size_t LinesModel::KeyOf(std::size_t row) const {
    return key_ ? key_(row) : std::hash<std::string>{}(line_(row));
}

LinesModel::Change LinesModel::Refresh() {
    std::uint64_t version = version_();
    if (version == shownVersion_) {
        return Change::None;
    }
    if (generation_() != shownGeneration_) {
        return Reload();
    }
    const std::size_t total = count_();
    int count = static_cast<int>(total);
    shownVersion_ = version;
    if (count < rows_) {
        return Reload();  // lines went without the generation moving: trust nothing
    }
    if (count == rows_) {
        return Change::None;
    }
    return growth_ == Growth::Append ? Append(count) : Insert(total);
}

LinesModel::Change LinesModel::Reload() {
    beginResetModel();
    shownVersion_ = version_();
    shownGeneration_ = generation_();
    const std::size_t total = count_();
    rows_ = static_cast<int>(total);
    hashes_.clear();
    if (growth_ == Growth::Insert) {
        hashes_.reserve(total);
        for (std::size_t i = 0; i < total; ++i) {
            hashes_.push_back(KeyOf(i));
        }
    }
    widest_ = 0;
    Measure(0, total);
    endResetModel();
    return Change::Reloaded;
}

LinesModel::Change LinesModel::Append(int count) {
    Measure(static_cast<std::size_t>(rows_), static_cast<std::size_t>(count));
    beginInsertRows({}, rows_, count - 1);
    rows_ = count;
    endInsertRows();
    return Change::Added;
}

LinesModel::Change LinesModel::Insert(std::size_t total) {
    const std::size_t shown = hashes_.size();
    // Runs of new lines (first row, count) in the engine's order, found by walking both lists.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::vector<std::size_t> hashes;
    hashes.reserve(total);
    if (shown > 0 && KeyOf(shown - 1) == hashes_[shown - 1]) {
        // Everything new sorts after the last shown line: the common case of a growing subnet.
        hashes = hashes_;
        runs.emplace_back(shown, total - shown);
        for (std::size_t i = shown; i < total; ++i) {
            hashes.push_back(KeyOf(i));
        }
    } else {
        std::size_t j = 0;
        for (std::size_t i = 0; i < total; ++i) {
            std::size_t h = KeyOf(i);
            hashes.push_back(h);
            if (j < shown && h == hashes_[j] && total - i >= shown - j) {
                ++j;
                continue;
            }
            if (total - i <= shown - j) {
                return Reload();  // a shown line is missing: not an insertion
            }
            if (!runs.empty() && runs.back().first + runs.back().second == i) {
                ++runs.back().second;
            } else {
                runs.emplace_back(i, 1);
            }
        }
        if (j != shown) {
            return Reload();
        }
    }
    hashes_.swap(hashes);
    for (auto [first, count] : runs) {
        Measure(first, first + count);
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        rows_ += static_cast<int>(count);
        endInsertRows();
    }
    return Change::Added;
}

}  // namespace kestrove
