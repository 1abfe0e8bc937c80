#include "monitor/report/ReportFindings.h"

#include <algorithm>

#include "monitor/report/ReportDocument.h"
#include "monitor/report/ReportRows.h"

namespace kestrove {

namespace {

void AppendRow(std::string& out, std::string_view line, LineKind kind) {
    MessageField field = FindMessageField(line);
    if (kind == LineKind::Duplicate) {
        AppendDuplicateRow(out, line, field);
    } else if (kind == LineKind::Change) {
        AppendChangeRow(out, line, field);
    } else {
        AppendNetworkRow(out, line, field, kind);
    }
}

// The rows of the spooled lines of one kind, into the document.
bool WriteRows(ReportFile& file, LineSpool& lines, LineKind kind) {
    return lines.MoveTo([&](std::string_view line) {
        AppendRow(file.Bytes(), line, kind);
        file.Appended();
    });
}

}  // namespace

ReportFindings::ReportFindings(ReportFile& file, const std::filesystem::path& scratchFolder)
    : file_(file), dupLines_(scratchFolder), changeLines_(scratchFolder) {
    networkLines_.reserve(kNetworkKinds);
    for (int i = 0; i < kNetworkKinds; ++i) {
        networkLines_.emplace_back(scratchFolder);
    }
}

void ReportFindings::Line(std::string_view line) {
    MessageField field = FindMessageField(line);
    switch (KindOf(line, field)) {
        case LineKind::Duplicate:
            // Straight into the document once no earlier line can be waiting.
            if (startFixed_ && dupLines_.Lines() == 0) {
                if (dupWritten_++ == 0) {
                    AppendDuplicateSectionHead(file_.Bytes());
                }
                AppendDuplicateRow(file_.Bytes(), line, field);
                file_.Appended();
            } else {
                dupLines_.Add(line);
            }
            break;
        case LineKind::Change:
            changeLines_.Add(line);
            break;
        case LineKind::Other:
            break;
        default:
            networkLines_[static_cast<std::size_t>(static_cast<int>(KindOf(line, field)) -
                                                   kFirstNetworkKind)]
                .Add(line);
            break;
    }
}

void ReportFindings::Restart() {
    dupLines_.Clear();
    changeLines_.Clear();
    for (LineSpool& spool : networkLines_) {
        spool.Clear();
    }
}

bool ReportFindings::Finish() {
    std::size_t dups = DupCount();
    std::size_t changes = ChangeCount();
    bool network = std::any_of(networkLines_.begin(), networkLines_.end(),
                               [](const LineSpool& s) { return s.Lines() > 0; });
    if (dups == 0 && changes == 0 && !network) {
        AppendNoFindings(file_.Bytes());
        file_.Appended();
        return true;
    }
    bool ok = true;
    if (dupLines_.Lines() > 0) {
        AppendDuplicateSectionHead(file_.Bytes());
        ok = WriteRows(file_, dupLines_, LineKind::Duplicate);
    }
    if (dups > 0) {
        AppendSectionTail(file_.Bytes());
    }
    AppendSectionGap(file_.Bytes());
    if (changes > 0) {
        AppendChangeSectionHead(file_.Bytes());
        ok = WriteRows(file_, changeLines_, LineKind::Change) && ok;
        AppendSectionTail(file_.Bytes());
    }
    for (int i = 0; i < kNetworkKinds; ++i) {
        LineSpool& spool = networkLines_[static_cast<std::size_t>(i)];
        if (spool.Lines() == 0) {
            continue;
        }
        AppendSectionGap(file_.Bytes());
        AppendNetworkSectionHead(file_.Bytes(), i);
        ok = WriteRows(file_, spool, static_cast<LineKind>(kFirstNetworkKind + i)) && ok;
        AppendSectionTail(file_.Bytes());
    }
    file_.Appended();
    return ok;
}

}  // namespace kestrove
