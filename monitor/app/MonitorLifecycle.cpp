#include "monitor/app/MonitorLifecycle.h"

#include <charconv>
#include <chrono>
#include <string>

#include "monitor/settings/StartupDefaults.h"

namespace kestrove {

bool MonitorLifecycle::ReadOwnAdapters() {
    p_.adapters.GetOwnAdapters(&p_.settings);
    if (p_.adapters.OwnMacList[0].empty()) {
        // Adapters may still be coming up right after logon: wait half a second, once.
        p_.wait(std::chrono::milliseconds(500));
        p_.adapters.GetOwnAdapters(&p_.settings);
    }
    return !p_.adapters.OwnMacList[0].empty();
}

MonitorLifecycle::StartResult MonitorLifecycle::Form_Load() {
    WriteStartupDefaults(p_.settings);
    p_.view.SetChecked(MenuItem::MWatch1, StartupSwitchIsOn(p_.settings, "Watch", "Change"));
    p_.view.SetChecked(MenuItem::MWatch2, StartupSwitchIsOn(p_.settings, "Watch", "Duplicate"));

    if (!ReadOwnAdapters()) {
        p_.engine.Shutdown();
        p_.view.ShowWarning(kNoOwnMacMessage);
        return StartResult::NoOwnMac;
    }

    p_.view.SetChecked(MenuItem::MWithWindows, p_.settings.IsOn("Startup", "WithWindows"));
    p_.view.SetChecked(MenuItem::MNotify, StartupSwitchIsOn(p_.settings, "Watch", "Notify"));
    p_.view.SetChecked(MenuItem::MSyslog, StartupSwitchIsOn(p_.settings, "Log", "Syslog"));
    p_.view.SetChecked(MenuItem::MWatchIpv6, StartupSwitchIsOn(p_.settings, "Watch", "IPv6"));
    p_.view.SetChecked(MenuItem::MWatchRouter, StartupSwitchIsOn(p_.settings, "Watch", "Router"));
    p_.view.SetChecked(MenuItem::MWatchFirstHop,
                       StartupSwitchIsOn(p_.settings, "Watch", "FirstHop"));

    bool record = StartupSwitchIsOn(p_.settings, "Log", "Record");
    p_.view.SetChecked(MenuItem::MRecordLog, record);
    p_.view.SetEnabled(MenuItem::MShowLog, record);
    p_.view.SetEnabled(MenuItem::MClearLog, record);
    p_.view.SetEnabled(MenuItem::MReport, record);
    p_.engine.InitRecordLog(record);
    p_.engine.WriteStartLine();

    if (StartupSwitchIsOn(p_.settings, "Scan", "All")) {
        p_.view.SetChecked(MenuItem::MScanAll, true);
        // A missing sweeper is not fatal: the monitor watches what it sees without it.
        p_.processes.StartDetached(p_.programFolder / kSweeperName, {});
    }

    if (p_.settings.IsOn("Size", "Minimized")) {
        p_.view.HideToTray();
    } else {
        std::string h = p_.settings.ReadIni("Size", "H");
        int twips = 0;
        auto [end, ec] = std::from_chars(h.data(), h.data() + h.size(), twips);
        // Only a whole number: "12abc" is as foreign to the file as "abc".
        if (!h.empty() && ec == std::errc{} && end == h.data() + h.size() && twips > 0) {
            p_.view.SetHeightTwips(twips);
        }
    }

    if (p_.settings.IsOn("Report", "Auto")) {
        p_.setReportTimer(true);
    }
    return StartResult::Started;
}

void MonitorLifecycle::Form_QueryUnload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    p_.engine.Shutdown();
    p_.processes.TerminateProgram(p_.programFolder / kSweeperName);
    p_.engine.WriteEndLine();
    p_.settings.WriteIni("Size", "H", std::to_string(p_.view.HeightTwips()));
    p_.setReportTimer(false);
}

}  // namespace kestrove
