#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Cp932.h"

namespace kestrove {

// Collects UTF-8 text and keeps it as CP932 in blocks of a few hundred kilobytes, converting a
// batch at a time, so that a report of a million rows neither calls the converter per piece
// nor copies a growing text over and over.
class Cp932Buffer {
public:
    void Append(std::string_view utf8) {
        pending_ += utf8;
        if (pending_.size() >= kBatchBytes) {
            Flush();
        }
    }
    // A piece of the document: the text and CR LF.
    void AppendLine(std::string_view utf8) {
        Append(utf8);
        Append("\r\n");
    }
    // Moves the blocks out, in order, to the end of `out`; the buffer is then empty.
    void MoveTo(std::vector<std::string>& out) {
        Flush();
        for (std::string& block : blocks_) {
            out.push_back(std::move(block));
        }
        blocks_.clear();
    }

private:
    static constexpr std::size_t kBatchBytes = 256 * 1024;

    void Flush() {
        if (pending_.empty()) {
            return;
        }
        blocks_.push_back(Utf8ToCp932(pending_));
        blocks_.back().shrink_to_fit();
        pending_.clear();
    }

    std::string pending_;
    std::vector<std::string> blocks_;
};

}  // namespace kestrove
