#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace kestrove {

// `List1`: the alarm messages of the main window. Its red background marks that an alarm was
// raised since the last clear; the first alarm after a clear replaces what the list showed,
// later ones accumulate.
class AlarmList {
public:
    const std::vector<std::string>& Lines() const { return lines_; }
    // The likely causes of the alarm a line belongs to, one per text line; "" for lines that
    // belong to no alarm (start, clear). Both lines of an alarm carry the same text.
    const std::string& Explanation(std::size_t line) const {
        static const std::string kNone;
        return line < explanations_.size() ? explanations_[line] : kNone;
    }
    bool IsRed() const { return red_; }
    std::uint64_t Version() const { return version_; }
    // Moves on whenever lines are taken away; between two moves lines are only appended, so a
    // view can add the new tail instead of reloading the whole list.
    std::uint64_t Generation() const { return generation_; }

    // Starts the lines of an alarm: empties the list unless it is red already.
    void BeginAlarm() {
        if (!red_) {
            lines_.clear();
            reported_.clear();
            explanations_.clear();
            ++generation_;
        }
        ++version_;
    }
    void Add(std::string line, std::string explanation = {}) {
        lines_.push_back(std::move(line));
        explanations_.resize(lines_.size() - 1);
        explanations_.push_back(std::move(explanation));
        ++version_;
    }
    void SetRed() {
        red_ = true;
        ++version_;
    }
    // Empty, with the window colour.
    void Reset() {
        lines_.clear();
        reported_.clear();
        explanations_.clear();
        red_ = false;
        ++version_;
        ++generation_;
    }
    // Alarms that must not repeat while their line stays in the list (a duplicate pair, a host
    // showing this computer's MAC) are remembered here, so asking costs one hashed lookup, not
    // a walk through every line. Forgotten whenever the list is emptied.
    void MarkReported(const std::string& line) { reported_.insert(line); }
    bool WasReported(const std::string& line) const { return reported_.contains(line); }

private:
    std::vector<std::string> lines_;
    std::unordered_set<std::string> reported_;
    std::vector<std::string> explanations_;
    bool red_ = false;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace kestrove
