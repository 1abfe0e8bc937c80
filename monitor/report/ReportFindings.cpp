#include "monitor/report/ReportFindings.h"

#include "monitor/report/ReportDocument.h"
#include "monitor/report/ReportRows.h"

namespace kestrove {

void ReportFindings::Line(std::string_view line) {
    MessageField field = FindMessageField(line);
    switch (KindOf(line, field)) {
        case LineKind::Duplicate:
            // Straight into the document once no earlier row can be waiting.
            if (startFixed_ && dupRows_.Rows() == 0) {
                if (dupWritten_++ == 0) {
                    AppendDuplicateSectionHead(file_.Bytes());
                }
                AppendDuplicateRow(file_.Bytes(), line, field);
                file_.Appended();
            } else {
                AppendDuplicateRow(dupRows_.Bytes(), line, field);
                dupRows_.Added();
            }
            break;
        case LineKind::Change:
            AppendChangeRow(changeRows_.Bytes(), line, field);
            changeRows_.Added();
            break;
        case LineKind::Other:
            break;
    }
}

void ReportFindings::Restart() {
    dupRows_.Clear();
    changeRows_.Clear();
}

bool ReportFindings::CopyRows(RowSpool& rows) {
    return rows.MoveTo([this](std::string_view bytes) {
        file_.Append(bytes);
        return true;
    });
}

bool ReportFindings::Finish() {
    std::size_t dups = DupCount();
    std::size_t changes = ChangeCount();
    if (dups == 0 && changes == 0) {
        AppendNoFindings(file_.Bytes());
        file_.Appended();
        return true;
    }
    bool ok = true;
    if (dupRows_.Rows() > 0) {
        AppendDuplicateSectionHead(file_.Bytes());
        ok = CopyRows(dupRows_);
    }
    if (dups > 0) {
        AppendSectionTail(file_.Bytes());
    }
    AppendSectionGap(file_.Bytes());
    if (changes > 0) {
        AppendChangeSectionHead(file_.Bytes());
        ok = CopyRows(changeRows_) && ok;
        AppendSectionTail(file_.Bytes());
    }
    file_.Appended();
    return ok;
}

}  // namespace kestrove
