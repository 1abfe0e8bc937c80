#include "monitor/report/ReportBuilder.h"

#include <string>
#include <system_error>

#include "common/TimeFormat.h"
#include "common/Utf8Path.h"
#include "monitor/report/AlarmLogScan.h"
#include "monitor/report/ReportDocument.h"
#include "monitor/report/ReportFile.h"
#include "monitor/report/ReportFindings.h"
#include "monitor/report/ReportPaths.h"
#include "monitor/report/ReportPeriod.h"
#include "monitor/report/zip/cZip.h"
#include "monitor/watch/AlarmLog.h"

namespace kestrove {
namespace {

// The dated copy, zipped when asked; returns the file the mail step should attach.
std::filesystem::path StoreDatedCopy(const ReportDocument& document,
                                     const std::filesystem::path& reportPath, bool compressCopy) {
    // Written from the document itself, so a report.htm that could not be written never
    // leaves a stale copy behind.
    WriteReportFile(reportPath, document);
    if (!compressCopy) {
        return reportPath;
    }
    std::filesystem::path archive = ArchivePath(reportPath);
    cZip zip;
    zip.SetZipFile(PathToUtf8(archive));
    zip.ClearFileSpecs();
    zip.AddFileSpec(PathToUtf8(reportPath));
    zip.Zip();
    if (!zip.Success()) {
        // Without a whole archive the copy is all there is to keep and to mail.
        return reportPath;
    }
    std::error_code ignored;
    std::filesystem::remove(reportPath, ignored);
    return archive;
}

}  // namespace

ReportOutcome ReportBuilder::MakeReport(const std::filesystem::path& reportPath, bool showInBrowser,
                                        bool compressCopy, std::string_view period) {
    ReportOutcome outcome;
    outcome.attachment = compressCopy ? ArchivePath(reportPath) : reportPath;

    LocalTime now = clock_.LocalNow();
    ReportHeader header;
    header.created = FormatJapaneseStamp(now);
    header.periodStart = PeriodStartText(period, now);
    header.periodEnd = FormatLogStamp(now);
    ReportFindings findings;
    switch (ScanAlarmLog(AlarmLog(programFolder_).Path(), header.periodStart, findings)) {
        case AlarmLogScanStatus::Ok:
            break;
        case AlarmLogScanStatus::Missing:
            outcome.status = ReportStatus::NoAlarmLog;
            return outcome;
        case AlarmLogScanStatus::Unreadable:
            outcome.status = ReportStatus::UnreadableAlarmLog;
            return outcome;
    }
    ReportDocument document = BuildReportDocument(header, findings);

    std::filesystem::path working = WorkingReportPath(programFolder_);
    // An old report.htm must not be shown as if it were this one.
    if (WriteReportFile(working, document) && showInBrowser) {
        opener_.Open(working);
    }
    outcome.attachment = StoreDatedCopy(document, reportPath, compressCopy);
    outcome.status = ReportStatus::Built;
    return outcome;
}

}  // namespace kestrove
