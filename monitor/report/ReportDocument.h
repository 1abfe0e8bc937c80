#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kestrove {

struct ReportHeader {
    std::string created;      // "yyyy年mm月dd日 hh時mm分ss秒"
    std::string periodStart;  // "" for the whole log
    std::string periodEnd;
};

// The report's own markup and texts as CP932, converted once; the document is the head, the
// result (the duplicate section, CR LF, the change section, or the no-findings text), the tail.
// Every function appends to `out`.

// Up to and including the opening of the result cell.
void AppendDocumentHead(std::string& out, const ReportHeader& header);
// A findings table up to its rows, and after them (a section without rows has neither).
void AppendDuplicateSectionHead(std::string& out);
void AppendChangeSectionHead(std::string& out);
// The section of one of the IPv6, router and gateway kinds (LineKind).
void AppendNetworkSectionHead(std::string& out, int kindIndex);
void AppendSectionTail(std::string& out);
// Between the duplicate and the change section.
void AppendSectionGap(std::string& out);
void AppendNoFindings(std::string& out);
// From the end of the result cell to the end of the file.
void AppendDocumentTail(std::string& out);

// Markup around the cells of one table row.
struct RowMarkup {
    std::string open;           // "<tr>", CR LF and the time cell's opening
    std::string timeToAddress;  // closes the time cell, opens the address cell
    std::string timeToDetails;  // in a two-cell row: closes the time cell, opens the details
    std::string addressToMac;
    std::string close;   // closes the MAC cell and the row
    std::string before;  // "前："
    std::string after;   // "<BR>後："

    // All of them: the most markup one row holds.
    std::size_t Bytes() const {
        return open.size() + std::max(timeToAddress.size(), timeToDetails.size()) +
               addressToMac.size() + close.size() + before.size() + after.size();
    }
};
const RowMarkup& Cp932RowMarkup();

}  // namespace kestrove
