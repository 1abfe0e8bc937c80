#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "common/Clock.h"
#include "common/DataFolder.h"
#include "common/ProcessControl.h"
#include "monitor/app/MonitorLifecycle.h"
#include "monitor/report/BackgroundReportMailer.h"
#include "monitor/report/DocumentOpener.h"
#include "monitor/report/ImmediateReports.h"
#include "monitor/report/ReportBuilder.h"
#include "monitor/report/ReportMailSender.h"
#include "monitor/report/ScheduledReports.h"
#include "monitor/report/mail/MailLibrary.h"
#include "monitor/settings/Autostart.h"
#include "monitor/settings/IniFile.h"
#include "monitor/settings/UntrustedFiles.h"
#include "monitor/ui/DesktopNotifier.h"
#include "monitor/ui/QtTimers.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/FirstHopCheck.h"
#include "monitor/watch/HostMemory.h"
#include "monitor/watch/NetworkAlarms.h"
#include "monitor/watch/NotificationLimiter.h"
#include "monitor/watch/OuiRegistry.h"
#include "monitor/watch/SystemLog.h"
#include "monitor/watch/WatchEngine.h"
#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/FirstHopProber.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"
#include "netinfo/NetworkStateSource.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

class AboutDialog;
class AdapterChoice;
class HelpWindow;
class MainMenuCommands;
class MainWindow;
class SourceWatcher;
class QtTrayIcon;
class ReportOptionDialog;
class BackgroundTableRead;
class SignalWatcher;
class TrayController;

// The platform pieces the monitor runs on; tests replace some with fakes.
struct MonitorPlatform {
    std::unique_ptr<ArpTableSource> arpTable;
    // A second reader of the same table for the scans, read on a thread of its own; without
    // it the scans read `arpTable` on the monitor's thread.
    std::unique_ptr<ArpTableSource> scanTable;
    std::unique_ptr<AdapterSource> adapters;
    std::unique_ptr<HostNameResolver> resolver;
    std::unique_ptr<ProcessControl> processes;
    std::unique_ptr<Autostart> autostart;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<MailLibrary> mail;
    // May be empty: the monitor then polls only.
    std::unique_ptr<NeighbourEvents> neighbourEvents;
    // IPv6 neighbours, routes and own IPv6 addresses, and the first-hop check; either may be
    // empty (no such watch, no probe).
    std::unique_ptr<NetworkStateSource> networkState;
    std::unique_ptr<FirstHopProber> firstHopProber;
    // Opens a file or web address in the user's default program.
    std::function<void(const QString& url)> openUrl;
    // Alarm-log lines for `[Log] Syslog`; none: not sent.
    std::unique_ptr<SystemLog> syslog;
    // The default routes' gateways, which name the network whose hosts are remembered.
    std::function<std::vector<Ipv4>()> gateways;
    // Shows alarms on the desktop; where it cannot, through the tray icon's balloon.
    std::unique_ptr<DesktopNotifier> notifier;
    // Where the IEEE registry files are read from.
    std::filesystem::path vendorFolder = OuiRegistry::kDefaultFolder;

    static MonitorPlatform Default(const std::filesystem::path& programFolder);
};

// Opens files and web pages through the platform's opener.
class UrlDocumentOpener final : public DocumentOpener {
public:
    explicit UrlDocumentOpener(std::function<void(const QString&)> openUrl)
        : openUrl_(std::move(openUrl)) {}
    void Open(const std::filesystem::path& path) override;

private:
    std::function<void(const QString&)> openUrl_;
};

// The Kestrove program: builds the core, the main window and the tray, wires them together and
// runs the start-up and shut-down sequences.
class MonitorApp final : public QObject, public WatchEvents {
    Q_OBJECT
public:
    // The files are kept in the program folder itself (portable use).
    MonitorApp(std::filesystem::path programFolder, MonitorPlatform platform);
    MonitorApp(std::filesystem::path programFolder, DataFolderChoice data,
               MonitorPlatform platform);
    ~MonitorApp() override;

    // Runs the start-up; false when the program must end (no own MAC).
    bool Start();
    // The shut-down for every way of ending: end line, height, sweeper stopped, then quit.
    void Quit();

    // Where every file of the monitor's own belongs (settings, alarm log, reports, and any
    // file added later): chosen once at start.
    const DataFolderChoice& Data() const { return data_; }
    MainWindow& Window() { return *window_; }
    WatchEngine& Engine() { return *engine_; }
    TrayController& Tray() { return *tray_; }
    QtTrayIcon& TrayIcon() { return *trayIcon_; }
    IniFile& Settings() { return settings_; }
    OwnAdapters& Adapters() { return *adapters_; }
    ScheduledReports& Schedule() { return *scheduled_; }
    ImmediateReports& Immediate() { return *immediate_; }

    // WatchEvents
    void StartIconBlink() override;
    void StopIconBlink() override;
    void RequestImmediateReport() override;
    void ScanActivity(bool scanning) override;
    void ViewsChanged() override;
    void AlarmRaised(std::string_view message, std::string_view detail,
                     std::string_view explanation) override;

    HostMemory& Memory() { return *memory_; }

private:
    void Wire();
    void SetReportTimer(bool on);
    void ShowAbout();
    void ShowHelp();
    void ShowAdapterDialog();
    void MReportNow_Click();
    void MReportOption_Click();
    void Fatal();
    void WarnIfDataFolderReadOnly();
    // Files set aside at start (another user's, damaged) and a log that records nothing: told
    // once, in one message box.
    void WarnOfSetAsideFiles();
    void WarnLogNotRecorded();
    void StartMemory();
    void StartNetworkWatch();
    void Notify(const DesktopText& text);

    std::filesystem::path folder_;
    DataFolderChoice data_;
    MonitorPlatform platform_;
    IniFile settings_;
    AlarmLog log_;
    QtTimerFactory timers_;
    std::unique_ptr<OwnAdapters> adapters_;
    std::unique_ptr<HostNameLookup> hostNames_;
    std::unique_ptr<UrlDocumentOpener> opener_;
    std::unique_ptr<ReportBuilder> reports_;
    std::unique_ptr<ReportMailSender> mailer_;
    std::unique_ptr<BackgroundReportMailer> backgroundMail_;
    std::unique_ptr<ScheduledReports> scheduled_;
    std::unique_ptr<ImmediateReports> immediate_;
    std::unique_ptr<OuiRegistry> vendors_;
    std::unique_ptr<HostMemory> memory_;
    std::unique_ptr<NotificationLimiter> notifier_;
    std::unique_ptr<WatchEngine> engine_;
    // Gone before the engine its reads are handed to.
    std::unique_ptr<BackgroundTableRead> tableRead_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtTrayIcon> trayIcon_;
    std::unique_ptr<TrayController> tray_;
    std::unique_ptr<MonitorLifecycle> lifecycle_;
    std::unique_ptr<MainMenuCommands> commands_;
    std::unique_ptr<AdapterChoice> adapterChoice_;
    std::unique_ptr<SignalWatcher> signals_;
    std::unique_ptr<ReportOptionDialog> reportOptions_;
    std::unique_ptr<SourceWatcher> neighbours_;
    std::unique_ptr<FirstHopCheck> firstHop_;
    std::unique_ptr<NetworkAlarms> networkAlarms_;
    std::unique_ptr<SourceWatcher> networkWatcher_;
    QPointer<AboutDialog> about_;
    QPointer<HelpWindow> help_;
    // The default route's gateway in the watched subnet (0: none), whose change leads a
    // summed-up notification.
    Ipv4 gateway_ = 0;
    std::vector<SetAsideFile> setAside_;
    bool quitting_ = false;
    bool fatal_ = false;
};

}  // namespace kestrove
