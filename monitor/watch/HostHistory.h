#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace kestrove {

// `List2`: one line per host when it was first recorded, MAC text first, kept in text order so
// that hosts sharing a MAC stand next to each other. New lines wait in an unsorted tail until
// the list is next read; then only that batch is sorted and merged into the sorted part, so a
// first scan of tens of thousands of hosts stays linear-log and a host heard later costs one
// merge, not a sort of the whole list.
class HostHistory {
public:
    void Add(std::string line) {
        lines_.push_back(std::move(line));
        ++version_;
    }
    void Clear() {
        lines_.clear();
        sortedCount_ = 0;
        ++version_;
        ++generation_;
    }
    std::size_t Count() const { return lines_.size(); }
    const std::string& Line(std::size_t i) const { return Sorted()[i]; }
    const std::vector<std::string>& Lines() const { return Sorted(); }
    std::uint64_t Version() const { return version_; }
    // Moves on when the list is emptied; between two moves lines are only inserted.
    std::uint64_t Generation() const { return generation_; }

private:
    const std::vector<std::string>& Sorted() const {
        if (sortedCount_ != lines_.size()) {
            auto batch = lines_.begin() + static_cast<std::ptrdiff_t>(sortedCount_);
            std::sort(batch, lines_.end());
            std::inplace_merge(lines_.begin(), batch, lines_.end());
            sortedCount_ = lines_.size();
        }
        return lines_;
    }

    mutable std::vector<std::string> lines_;
    // Lines [0, sortedCount_) are in order; the rest were added since the list was last read.
    mutable std::size_t sortedCount_ = 0;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace kestrove
