#pragma once

#include <string_view>

#include "common/SettingsStore.h"
#include "monitor/report/ReportBuilder.h"

namespace kestrove {

// A report as every trigger makes it: the dated path from `[Report] SaveTo` and the clock, a
// zip archive when `[Report] Compress` is "1".
ReportOutcome MakeDatedReport(ReportBuilder& builder, const SettingsStore& settings,
                              std::string_view period, bool showInBrowser);

struct ReportNowResult {
    ReportOutcome outcome;
    // For an information box; empty when the report was made.
    std::string_view message;
};

// "いますぐ作成": a report of the whole log, shown in the browser, mailed to no one.
ReportNowResult MakeReportNow(ReportBuilder& builder, const SettingsStore& settings);

}  // namespace kestrove
