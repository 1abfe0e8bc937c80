#include "monitor/ui/TrayController.h"

namespace kestrove {

TrayController::TrayController(TrayIcon& icon, TrayWindow& window, TimerFactory& timers,
                               std::function<bool()> alarmActive)
    : icon_(icon),
      window_(window),
      alarmActive_(std::move(alarmActive)),
      timIcon1_(timers.Create(kBlinkPhase)),
      timIcon2_(timers.Create(kBlinkPhase)),
      timIconRetry_(timers.Create(kRetryInterval)) {
    timIcon1_->SetHandler([this] { timIcon1_Timer(); });
    timIcon2_->SetHandler([this] { timIcon2_Timer(); });
    timIconRetry_->SetHandler([this] { timIconRetry_Timer(); });
    timIconRetry_->Start();
}

void TrayController::HideToTray() {
    if (!icon_.Available()) {
        // Without a tray host a hidden window could never be brought back: minimize instead.
        window_.MinimizeWindow();
    } else {
        inTray_ = true;
        icon_.SetAlarmPicture(false);
        icon_.Add();
        window_.HideWindow();
    }
    if (alarmActive_()) {
        StartIconBlink();
    }
}

void TrayController::RestoreFromTray() {
    inTray_ = false;
    StopIconBlink();
    icon_.Remove();
    window_.ShowNormalAndActivate();
}

void TrayController::StopIconBlink() {
    timIcon1_->Stop();
    timIcon2_->Stop();
}

void TrayController::timIcon1_Timer() {
    timIcon1_->Stop();
    timIcon2_->Start();
    icon_.SetAlarmPicture(true);
}

void TrayController::timIcon2_Timer() {
    timIcon2_->Stop();
    timIcon1_->Start();
    icon_.SetAlarmPicture(false);
}

void TrayController::timIconRetry_Timer() {
    // The tray host may have restarted and lost the icon; adding it again brings it back.
    if (inTray_ && icon_.Available()) {
        icon_.Add();
    }
}

}  // namespace kestrove
