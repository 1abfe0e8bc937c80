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

// Zips the dated copy when asked; returns the file the mail step should attach.
std::filesystem::path CompressDatedCopy(const std::filesystem::path& reportPath) {
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

    std::filesystem::path working = WorkingReportPath(dataFolder_);
    std::filesystem::path log = AlarmLog(dataFolder_).Path();
    std::error_code ec;
    if (std::filesystem::status(log, ec).type() == std::filesystem::file_type::not_found) {
        outcome.status = ReportStatus::NoAlarmLog;
        return outcome;
    }
    // The document is written to both files while the log is read; the copy is written on its
    // own, so a report.htm that could not be written never keeps it from being fresh.
    ReportFile file(working, reportPath);
    AppendDocumentHead(file.Bytes(), header);
    ReportFindings findings(file, working.parent_path());
    AlarmLogScanStatus scan = ScanAlarmLog(log, header.periodStart, findings);
    if (scan != AlarmLogScanStatus::Ok || !findings.Finish()) {
        file.Discard();
        outcome.status = scan == AlarmLogScanStatus::Missing ? ReportStatus::NoAlarmLog
                                                             : ReportStatus::UnreadableAlarmLog;
        return outcome;
    }
    AppendDocumentTail(file.Bytes());
    ReportFile::Committed committed = file.Commit();
    // An old report.htm must not be shown as if it were this one.
    if (committed.working && showInBrowser) {
        opener_.Open(working);
    }
    outcome.attachment =
        committed.dated && compressCopy ? CompressDatedCopy(reportPath) : reportPath;
    outcome.status = ReportStatus::Built;
    return outcome;
}

}  // namespace kestrove
