#include "monitor/report/ReportFindings.h"

#include "common/Cp932.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportDocument.h"
#include "monitor/report/ReportTexts.h"

namespace kestrove {

void ReportFindings::AddLine(std::string_view line) {
    if (line.find(kDuplicateMarker) != std::string_view::npos) {
        AppendTableRow(dupRows_, DuplicateCells(line));
        ++dupCount_;
    }
    if (line.find(kChangeMarker) != std::string_view::npos) {
        AppendTableRow(changeRows_, ChangeCells(line));
        ++changeCount_;
    }
}

void ReportFindings::AddPiece(std::string_view cp932) {
    std::string text = Cp932ToUtf8(cp932);
    ForEachLine(text, [this](std::string_view line) { AddLine(line); });
}

}  // namespace kestrove
