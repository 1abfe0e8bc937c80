#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitor/report/Cp932Buffer.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportFindings.h"

namespace kestrove {

// The report as CP932 bytes in parts written to a file one after the other: the document
// followed by one more CR LF.
struct ReportDocument {
    std::vector<std::string> parts;
};

struct ReportHeader {
    std::string created;      // "yyyy年mm月dd日 hh時mm分ss秒"
    std::string periodStart;  // "" for the whole log
    std::string periodEnd;
};

// One row of either table: five pieces, each followed by CR LF.
void AppendTableRow(Cp932Buffer& out, const RowCells& cells);

// The whole document; the rows are taken out of `findings`.
ReportDocument BuildReportDocument(const ReportHeader& header, ReportFindings& findings);

}  // namespace kestrove
