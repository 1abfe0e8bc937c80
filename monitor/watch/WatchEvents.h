#pragma once

#include <string_view>

namespace kestrove {

// What the watch engine tells the window around it.
class WatchEvents {
public:
    virtual ~WatchEvents() = default;
    // The tray alarm indication (blink) starts or stops.
    virtual void StartIconBlink() = 0;
    virtual void StopIconBlink() = 0;
    // A change or duplicate alarm was logged: an immediate report may be due.
    virtual void RequestImmediateReport() = 0;
    // The activity lamp: lit while a scan runs and during the pause after it.
    virtual void ScanActivity(bool scanning) = 0;
    // `List1`, `List2` or the grid changed; the window redraws them.
    virtual void ViewsChanged() = 0;
    // An alarm was raised: its message, its `List1` detail line (without the indent) and its
    // likely causes, for a desktop notification.
    virtual void AlarmRaised(std::string_view message, std::string_view detail,
                             std::string_view explanation) {
        (void)message;
        (void)detail;
        (void)explanation;
    }
};

}  // namespace kestrove
