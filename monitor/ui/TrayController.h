#pragma once

#include <functional>
#include <memory>

#include "common/Timer.h"

namespace kestrove {

// The tray icon as the blink logic sees it.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // A tray host is there to show the icon.
    virtual bool Available() const = 0;
    virtual void Add() = 0;
    virtual void Remove() = 0;
    virtual void SetAlarmPicture(bool alarm) = 0;
};

// The window as the tray logic moves it.
class TrayWindow {
public:
    virtual ~TrayWindow() = default;
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void ShowNormalAndActivate() = 0;
};

// The monitor in the tray: hiding the window behind an icon, bringing it back, and the alarm
// blink (alarm picture first, one-second phases) while an alarm is pending.
class TrayController {
public:
    static constexpr std::chrono::milliseconds kBlinkPhase{1000};
    static constexpr std::chrono::milliseconds kRetryInterval{10000};

    TrayController(TrayIcon& icon, TrayWindow& window, TimerFactory& timers,
                   std::function<bool()> alarmActive);

    void HideToTray();
    void RestoreFromTray();
    void StartIconBlink() { timIcon1_->Start(); }
    void StopIconBlink();
    // The end menu items take the icon away before the program ends.
    void RemoveIcon() { icon_.Remove(); }

    bool InTray() const { return inTray_; }
    Timer& timIcon1() { return *timIcon1_; }
    Timer& timIcon2() { return *timIcon2_; }
    Timer& timIconRetry() { return *timIconRetry_; }

private:
    void timIcon1_Timer();
    void timIcon2_Timer();
    void timIconRetry_Timer();

    TrayIcon& icon_;
    TrayWindow& window_;
    std::function<bool()> alarmActive_;
    std::unique_ptr<Timer> timIcon1_;
    std::unique_ptr<Timer> timIcon2_;
    std::unique_ptr<Timer> timIconRetry_;
    bool inTray_ = false;
};

}  // namespace kestrove
