#include "monitor/app/MainMenuCommands.h"

#include "common/Utf8Path.h"

namespace kestrove {

bool MainMenuCommands::Toggle(MenuItem item) {
    bool checked = !p_.view.IsChecked(item);
    p_.view.SetChecked(item, checked);
    return checked;
}

void MainMenuCommands::MWatch1_Click() {
    p_.engine.SetChangeWatch(Toggle(MenuItem::MWatch1));
}

void MainMenuCommands::MWatch2_Click() {
    p_.engine.SetDuplicateWatch(Toggle(MenuItem::MWatch2));
}

void MainMenuCommands::MRecordLog_Click() {
    bool on = Toggle(MenuItem::MRecordLog);
    p_.view.SetEnabled(MenuItem::MShowLog, on);
    p_.view.SetEnabled(MenuItem::MClearLog, on);
    p_.engine.SetRecordLog(on);
    p_.view.SetEnabled(MenuItem::MReport, on);
    if (!on) {
        p_.setReportTimer(false);
    } else if (p_.settings.IsOn("Report", "Auto")) {
        p_.setReportTimer(true);
    }
}

void MainMenuCommands::MClearLog_Click() {
    p_.log.Clear();
}

void MainMenuCommands::MShowLog_Click() {
    // The viewer takes the log's path as its argument; a failed start shows nothing.
    p_.processes.StartDetached(p_.programFolder / kViewerName, {PathToUtf8(p_.log.Path())});
}

void MainMenuCommands::MScanAll_Click() {
    bool on = Toggle(MenuItem::MScanAll);
    p_.settings.WriteIni("Scan", "All", on ? "1" : "0");
    if (on) {
        p_.processes.StartDetached(p_.programFolder / kSweeperName, {});
    } else {
        p_.processes.TerminateProgram(p_.programFolder / kSweeperName);
    }
}

void MainMenuCommands::MNotify_Click() {
    p_.settings.WriteIni("Watch", "Notify", Toggle(MenuItem::MNotify) ? "1" : "0");
}

void MainMenuCommands::MWatchIpv6_Click() {
    p_.settings.WriteIni("Watch", "IPv6", Toggle(MenuItem::MWatchIpv6) ? "1" : "0");
}

void MainMenuCommands::MWatchRouter_Click() {
    p_.settings.WriteIni("Watch", "Router", Toggle(MenuItem::MWatchRouter) ? "1" : "0");
}

void MainMenuCommands::MWatchFirstHop_Click() {
    p_.settings.WriteIni("Watch", "FirstHop", Toggle(MenuItem::MWatchFirstHop) ? "1" : "0");
}

void MainMenuCommands::MSyslog_Click() {
    p_.settings.WriteIni("Log", "Syslog", Toggle(MenuItem::MSyslog) ? "1" : "0");
}

void MainMenuCommands::MWithWindows_Click() {
    bool on = Toggle(MenuItem::MWithWindows);
    p_.settings.WriteIni("Startup", "WithWindows", on ? "1" : "0");
    if (!on) {
        autostart_.RemoveRunEntryUser();
        return;
    }
    std::string error = autostart_.AddRunEntryUser();
    if (!error.empty()) {
        // The mark and the setting stay on, as the user asked; the box says why it failed.
        p_.view.ShowWarning(error);
    }
}

}  // namespace kestrove
