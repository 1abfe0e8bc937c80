#include "monitor/report/ScheduledReports.h"

#include <string>

#include "monitor/report/ReportSchedule.h"
#include "monitor/report/ReportTexts.h"
#include "monitor/report/ReportTriggers.h"

namespace kestrove {

ScheduledReports::ScheduledReports(SettingsStore& settings, const Clock& clock,
                                   TimerFactory& timers, ReportBuilder& builder,
                                   ReportMailer& mailer)
    : settings_(settings),
      clock_(clock),
      builder_(builder),
      mailer_(mailer),
      timReport_(timers.Create(kInterval)),
      timReportRestart_(timers.Create(kInterval)) {
    timReport_->SetHandler([this] { timReport_Timer(); });
    timReportRestart_->SetHandler([this] { timReportRestart_Timer(); });
}

void ScheduledReports::StartSchedule() {
    timReport_->Start();
}

void ScheduledReports::StopSchedule() {
    timReport_->Stop();
    timReportRestart_->Stop();
}

void ScheduledReports::timReport_Timer() {
    timReport_->Stop();
    std::string freq = settings_.ReadIni("Report", "Freq");
    if (!ReportDue(settings_, freq, clock_.LocalNow())) {
        timReport_->Start();
        return;
    }
    ReportOutcome outcome = MakeDatedReport(builder_, settings_, freq, false);
    mailer_.SendReportMail(kScheduledMailSubject, outcome.attachment, {});
    timReportRestart_->Start();
}

void ScheduledReports::timReportRestart_Timer() {
    timReport_->Start();
    timReportRestart_->Stop();
}

}  // namespace kestrove
