#pragma once

#include <memory>

#include "common/SettingsStore.h"
#include "common/Timer.h"
#include "monitor/report/ReportBuilder.h"
#include "monitor/report/ReportMailer.h"

namespace kestrove {

// A report of the last hour about 30 s after an alarm: the delay lets the rest of the incident
// reach the log first, and a 30 s hold after the mail keeps a burst of alarms from giving a
// burst of mails. The hold only delays: an alarm during it starts one more delay when it ends,
// so a decoy alarm cannot keep the real one out of every mailed report. While alarms keep
// coming, each hold is twice the one before, up to kMaxHold, so a flood gives a handful of
// dated reports in its first hour and two an hour after, not one a minute; as every report
// holds the hour before it and no two are an hour apart, each alarm is in one of them.
class ImmediateReports {
public:
    static constexpr std::chrono::milliseconds kInterval{30000};
    static constexpr std::chrono::milliseconds kMaxHold{30 * 60 * 1000};

    ImmediateReports(SettingsStore& settings, TimerFactory& timers, ReportBuilder& builder,
                     ReportMailer& mailer);

    // Made after a change or duplicate alarm was logged: starts the delay when
    // `[Report] Immediate` is "1" and no delay is running; during the hold it is kept for the
    // hold's end (one, however many come).
    void Request();

    void timImmediate_Timer();
    void timImmediateReset_Timer();

    bool ImmediateHold() const { return immediateHold_; }
    Timer& timImmediate() { return *timImmediate_; }
    Timer& timImmediateReset() { return *timImmediateReset_; }

private:
    SettingsStore& settings_;
    ReportBuilder& builder_;
    ReportMailer& mailer_;
    std::unique_ptr<Timer> timImmediate_;
    std::unique_ptr<Timer> timImmediateReset_;
    bool immediateHold_ = false;
    bool requestedDuringHold_ = false;
    // Holds in a row that ended with an alarm waiting.
    int busyHolds_ = 0;
};

}  // namespace kestrove
