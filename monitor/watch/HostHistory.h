#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrove {

// `List2`: one line per host when it was first recorded, MAC text first, kept in text order so
// that hosts sharing a MAC stand next to each other. Lines are sorted when next read rather
// than on every insertion, so a first scan of tens of thousands of hosts stays linear-log.
class HostHistory {
public:
    void Add(std::string line) {
        lines_.push_back(std::move(line));
        sorted_ = false;
        ++version_;
    }
    void Clear() {
        lines_.clear();
        sorted_ = true;
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
        if (!sorted_) {
            std::sort(lines_.begin(), lines_.end());
            sorted_ = true;
        }
        return lines_;
    }

    mutable std::vector<std::string> lines_;
    mutable bool sorted_ = true;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace kestrove
