#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/report/Cp932Buffer.h"

namespace kestrove {

// The rows of the duplicate and the change table, kept as CP932 HTML while the period's lines
// go by, so the log is read in one pass and no line is stored.
class ReportFindings {
public:
    // A line holding the duplicate text becomes a duplicate row, one holding the change text a
    // change row (a line could give both); every other line is not reported.
    void AddLine(std::string_view line);
    // Decodes a piece of the log (CP932 that ends after a CR LF or at the end of the log) and
    // adds its lines, cut at every CR LF; a last piece after the final CR LF is a line as well.
    void AddPiece(std::string_view cp932);

    std::size_t DupCount() const { return dupCount_; }
    std::size_t ChangeCount() const { return changeCount_; }
    // Move the rows, as CP932 blocks, to the end of `out`.
    void MoveDupRowsTo(std::vector<std::string>& out) { dupRows_.MoveTo(out); }
    void MoveChangeRowsTo(std::vector<std::string>& out) { changeRows_.MoveTo(out); }

private:
    Cp932Buffer dupRows_;
    Cp932Buffer changeRows_;
    std::size_t dupCount_ = 0;
    std::size_t changeCount_ = 0;
};

// Calls `onLine` for every line of UTF-8 text, cut at CR LF.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos) {
            onLine(text.substr(pos));
            return;
        }
        onLine(text.substr(pos, end - pos));
        pos = end + 2;
    }
}

}  // namespace kestrove
