#include "monitor/report/ReportTriggers.h"

#include "monitor/report/ReportPaths.h"
#include "monitor/report/ReportTexts.h"

namespace kestrove {

ReportOutcome MakeDatedReport(ReportBuilder& builder, const SettingsStore& settings,
                              std::string_view period, bool showInBrowser) {
    std::filesystem::path reportPath =
        DatedReportPath(settings, builder.DataFolder(), builder.ReportClock().LocalNow());
    bool compress = settings.IsOn("Report", "Compress");
    return builder.MakeReport(reportPath, showInBrowser, compress, period);
}

ReportNowResult MakeReportNow(ReportBuilder& builder, const SettingsStore& settings) {
    ReportNowResult result;
    result.outcome = MakeDatedReport(builder, settings, kPeriodNone, true);
    switch (result.outcome.status) {
        case ReportStatus::Built:
            break;
        case ReportStatus::NoAlarmLog:
            result.message = kNoAlarmLogMessage;
            break;
        case ReportStatus::UnreadableAlarmLog:
            result.message = kUnreadableAlarmLogMessage;
            break;
    }
    return result;
}

}  // namespace kestrove
