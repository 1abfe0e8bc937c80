#pragma once

#include <string_view>

namespace kestrove {

// Menu items whose check mark or enabled state the monitor's logic sets.
enum class MenuItem {
    MWatch1,
    MWatch2,
    MScanAll,
    MRecordLog,
    MShowLog,
    MClearLog,
    MReport,
    MWithWindows,
    MNotify,
    MSyslog,
    MWatchIpv6,
    MWatchRouter,
    MWatchFirstHop
};

// The main window as the start-up, shut-down and menu logic see it.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void SetChecked(MenuItem item, bool checked) = 0;
    virtual bool IsChecked(MenuItem item) const = 0;
    virtual void SetEnabled(MenuItem item, bool enabled) = 0;
    // Sends the window to the tray (or, without a tray, minimizes it).
    virtual void HideToTray() = 0;
    // The window's outer height in twips.
    virtual int HeightTwips() const = 0;
    virtual void SetHeightTwips(int twips) = 0;
    // Message boxes titled "Kestrove".
    virtual void ShowInformation(std::string_view text) = 0;
    virtual void ShowWarning(std::string_view text) = 0;
};

}  // namespace kestrove
