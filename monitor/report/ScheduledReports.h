#pragma once

#include <memory>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "common/Timer.h"
#include "monitor/report/ReportBuilder.h"
#include "monitor/report/ReportMailer.h"

namespace kestrove {

// Automatic reports: every 30 s `timReport` checks the schedule; a due check builds and mails a
// report and hands over to `timReportRestart`, whose tick 30 s later starts `timReport` again,
// so one due minute gives one report.
class ScheduledReports {
public:
    static constexpr std::chrono::milliseconds kInterval{30000};

    ScheduledReports(SettingsStore& settings, const Clock& clock, TimerFactory& timers,
                     ReportBuilder& builder, ReportMailer& mailer);

    // Start-up with `[Report] Auto` "1", recording switched on, the options dialog accepted.
    void StartSchedule();
    // Recording switched off, automatic reports switched off. A pending restart is cancelled
    // too, so switching reports off really ends them.
    void StopSchedule();

    void timReport_Timer();
    void timReportRestart_Timer();

    Timer& timReport() { return *timReport_; }
    Timer& timReportRestart() { return *timReportRestart_; }

private:
    SettingsStore& settings_;
    const Clock& clock_;
    ReportBuilder& builder_;
    ReportMailer& mailer_;
    std::unique_ptr<Timer> timReport_;
    std::unique_ptr<Timer> timReportRestart_;
};

}  // namespace kestrove
