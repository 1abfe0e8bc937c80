#pragma once

#include <filesystem>
#include <string_view>

#include "common/Clock.h"
#include "monitor/report/DocumentOpener.h"

namespace kestrove {

enum class ReportStatus {
    Built,
    NoAlarmLog,          // nothing to report from: no file is written
    UnreadableAlarmLog,  // treated like a missing log
};

struct ReportOutcome {
    ReportStatus status = ReportStatus::NoAlarmLog;
    // What the mail step attaches: the archive when it was written whole, else the dated copy.
    std::filesystem::path attachment;

    bool Built() const { return status == ReportStatus::Built; }
};

// Turns the alarm log into the HTML report: "report.htm" in the data folder, optionally
// shown in the browser, and a dated copy (optionally as a zip archive) for mailing and keeping.
class ReportBuilder {
public:
    ReportBuilder(std::filesystem::path dataFolder, const Clock& clock, DocumentOpener& opener)
        : dataFolder_(std::move(dataFolder)), clock_(clock), opener_(opener) {}

    // `period`: "None" (the whole log), "Hourly", "Daily", "Weekly" or "Monthly". File steps
    // that fail are skipped and the rest goes on; the outcome tells what there is to mail.
    ReportOutcome MakeReport(const std::filesystem::path& reportPath, bool showInBrowser,
                             bool compressCopy, std::string_view period);

    const std::filesystem::path& DataFolder() const { return dataFolder_; }
    const Clock& ReportClock() const { return clock_; }

private:
    std::filesystem::path dataFolder_;
    const Clock& clock_;
    DocumentOpener& opener_;
};

}  // namespace kestrove
