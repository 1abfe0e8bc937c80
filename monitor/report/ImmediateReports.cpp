#include "monitor/report/ImmediateReports.h"

#include <algorithm>
#include <utility>

#include "monitor/report/ReportTexts.h"
#include "monitor/report/ReportTriggers.h"

namespace kestrove {

ImmediateReports::ImmediateReports(SettingsStore& settings, TimerFactory& timers,
                                   ReportBuilder& builder, ReportMailer& mailer)
    : settings_(settings),
      builder_(builder),
      mailer_(mailer),
      timImmediate_(timers.Create(kInterval)),
      timImmediateReset_(timers.Create(kInterval)) {
    timImmediate_->SetHandler([this] { timImmediate_Timer(); });
    timImmediateReset_->SetHandler([this] { timImmediateReset_Timer(); });
}

void ImmediateReports::Request() {
    // A request while one is already waiting changes nothing: the switch is not read again
    // for each alarm of a burst.
    if (timImmediate_->IsActive() || (immediateHold_ && requestedDuringHold_)) {
        return;
    }
    if (!settings_.IsOn("Report", "Immediate")) {
        return;
    }
    if (immediateHold_) {
        requestedDuringHold_ = true;
    } else if (!timImmediate_->IsActive()) {
        timImmediate_->Start();
    }
}

void ImmediateReports::timImmediate_Timer() {
    immediateHold_ = true;
    timImmediate_->Stop();
    ReportOutcome outcome = MakeDatedReport(builder_, settings_, kPeriodHourly, false);
    // The hold runs from the end of the mail step, which may take a while in the background.
    mailer_.SendReportMail(kImmediateMailSubject, outcome.attachment, [this] {
        timImmediateReset_->SetInterval(
            std::min(kInterval * (1 << std::min(busyHolds_, 16)), kMaxHold));
        timImmediateReset_->Start();
    });
}

void ImmediateReports::timImmediateReset_Timer() {
    immediateHold_ = false;
    timImmediateReset_->Stop();
    bool pending = std::exchange(requestedDuringHold_, false);
    busyHolds_ = pending ? busyHolds_ + 1 : 0;
    if (pending) {
        Request();
    }
}

}  // namespace kestrove
