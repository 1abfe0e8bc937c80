#pragma once

#include "monitor/app/MonitorParts.h"
#include "monitor/settings/Autostart.h"

namespace kestrove {

// What the main window's menu items do; the window only forwards the clicks.
class MainMenuCommands {
public:
    MainMenuCommands(MonitorParts parts, Autostart& autostart) : p_(parts), autostart_(autostart) {}

    void MWatch1_Click();
    void MWatch2_Click();
    void MRecordLog_Click();
    void MClearLog_Click();
    void MShowLog_Click();
    void MScanAll_Click();
    void MWithWindows_Click();
    // Desktop notifications of alarms, and alarm-log lines copied to the system log.
    void MNotify_Click();
    void MSyslog_Click();
    // The watch of IPv6 neighbours, of routers and gateways, and the first-hop check.
    void MWatchIpv6_Click();
    void MWatchRouter_Click();
    void MWatchFirstHop_Click();

private:
    // Toggles the item's check mark and returns the new state.
    bool Toggle(MenuItem item);

    MonitorParts p_;
    Autostart& autostart_;
};

}  // namespace kestrove
