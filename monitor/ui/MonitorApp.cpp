#include "monitor/ui/MonitorApp.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QTimer>
#include <QUrl>
#include <thread>

#include "common/Utf8Path.h"
#include "common/ui/MessageBox.h"
#include "monitor/app/AdapterChoice.h"
#include "monitor/app/MainMenuCommands.h"
#include "monitor/report/ReportTriggers.h"
#include "monitor/report/mail/MailLibrary.h"
#include "monitor/settings/StartupDefaults.h"
#include "monitor/ui/AboutDialog.h"
#include "monitor/ui/AdapterDialog.h"
#include "monitor/ui/HelpWindow.h"
#include "monitor/ui/MainWindow.h"
#include "monitor/ui/MainWindowTexts.h"
#include "monitor/ui/QtTrayIcon.h"
#include "monitor/ui/ReportOptionDialog.h"
#include "monitor/ui/SignalWatcher.h"
#include "monitor/ui/SourceWatcher.h"
#include "monitor/ui/TrayController.h"
#include "monitor/watch/BackgroundTableRead.h"
#include "monitor/watch/WatchTexts.h"
#include "netinfo/NetInfoPlatform.h"

#ifndef KESTROVE_WEB_ADDRESS
#define KESTROVE_WEB_ADDRESS "https://kestrove.example.org/"
#endif

// Resources of a static library must be registered by name, outside any namespace.
static void InitKestroveResources() {
    Q_INIT_RESOURCE(kestrove);
    Q_INIT_RESOURCE(help);
}

namespace kestrove {

MonitorPlatform MonitorPlatform::Default(const std::filesystem::path& programFolder) {
    MonitorPlatform p;
    p.arpTable = CreateArpTableSource();
    p.scanTable = CreateArpTableSource();
    p.adapters = CreateAdapterSource();
    p.resolver = CreateHostNameResolver();
    p.processes = CreateProcessControl();
    p.autostart = CreateAutostart(programFolder / kMonitorName);
    p.clock = std::make_unique<SystemClock>();
    p.mail = CreateMailLibrary();
    p.neighbourEvents = CreateNeighbourEvents();
    p.networkState = CreateNetworkStateSource();
    p.firstHopProber = CreateFirstHopProber();
    p.syslog = CreateSystemLog();
    p.notifier = CreateDesktopNotifier();
    p.gateways = [] { return ReadDefaultGateways(); };
    p.openUrl = [](const QString& url) {
        // A file's path ("/..." here, "C:\\..." on Windows) or a web address.
        QDesktopServices::openUrl(QDir::isAbsolutePath(url) ? QUrl::fromLocalFile(url) : QUrl(url));
    };
    return p;
}

MonitorApp::MonitorApp(std::filesystem::path programFolder, MonitorPlatform platform)
    : MonitorApp(programFolder, DataFolderChoice{programFolder, true}, std::move(platform)) {}

MonitorApp::MonitorApp(std::filesystem::path programFolder, DataFolderChoice data,
                       MonitorPlatform platform)
    : folder_(std::move(programFolder)),
      data_(std::move(data)),
      platform_(std::move(platform)),
      settings_(IniFile::InFolder(data_.folder)),
      log_(data_.folder),
      timers_([this] { Fatal(); }) {
    InitKestroveResources();
    adapters_ = std::make_unique<OwnAdapters>(*platform_.adapters);
    hostNames_ = std::make_unique<HostNameLookup>(*platform_.resolver);
    opener_ = std::make_unique<UrlDocumentOpener>(platform_.openUrl);
    reports_ = std::make_unique<ReportBuilder>(data_.folder, *platform_.clock, *opener_);
    mailer_ = std::make_unique<ReportMailSender>(settings_, log_, *platform_.clock, data_.folder,
                                                 *platform_.mail);
    // A report's mail goes out beside the watch: a mail server that stalls must not stop it.
    backgroundMail_ = std::make_unique<BackgroundReportMailer>(
        *mailer_, *platform_.mail, [this](std::function<void()> task) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
        });
    scheduled_ = std::make_unique<ScheduledReports>(settings_, *platform_.clock, timers_, *reports_,
                                                    *backgroundMail_);
    immediate_ =
        std::make_unique<ImmediateReports>(settings_, timers_, *reports_, *backgroundMail_);
    vendors_ = std::make_unique<OuiRegistry>(platform_.vendorFolder);
    vendors_->LoadInBackground();
    // Beside the settings file, wherever that lives.
    memory_ = std::make_unique<HostMemory>(settings_, *platform_.clock,
                                           HostsFile::InFolder(settings_.Path().parent_path()),
                                           *vendors_);
    notifier_ = std::make_unique<NotificationLimiter>(
        *platform_.clock, timers_, [this](const DesktopText& text) { Notify(text); });
    log_.SetOnFirstFailure([this] {
        // Posted: the line may be written from deep inside a scan.
        QTimer::singleShot(0, this, [this] { WarnLogNotRecorded(); });
    });
    log_.SetMirror([this](std::string_view line) {
        if (platform_.syslog && StartupSwitchIsOn(settings_, "Log", "Syslog")) {
            platform_.syslog->Send(line);
        }
    });
    engine_ = std::make_unique<WatchEngine>(WatchServices{settings_, log_, *platform_.arpTable,
                                                          *adapters_, *hostNames_, *platform_.clock,
                                                          timers_, *this});
    if (platform_.scanTable) {
        tableRead_ = std::make_unique<BackgroundTableRead>(
            std::move(platform_.scanTable), [this](std::function<void()> task) {
                QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
            });
        engine_->SetTableRead(tableRead_.get());
    }
    firstHop_ = std::make_unique<FirstHopCheck>(
        platform_.firstHopProber.get(), *platform_.clock, [this](std::function<void()> task) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
        });
    networkAlarms_ = std::make_unique<NetworkAlarms>(*engine_, settings_, *adapters_,
                                                     *platform_.clock, timers_, firstHop_.get());
    engine_->SetGatewayWatch(networkAlarms_.get());
    window_ = std::make_unique<MainWindow>(*engine_, settings_);
    trayIcon_ =
        std::make_unique<QtTrayIcon>(window_->PopupMenu(), [this] { tray_->RestoreFromTray(); });
    if (platform_.notifier) {
        platform_.notifier->SetFallback([this](const QString& summary, const QString& body) {
            trayIcon_->ShowMessage(summary, body);
        });
    }
    tray_ = std::make_unique<TrayController>(*trayIcon_, *window_, timers_,
                                             [this] { return engine_->AlarmActive(); });
    window_->SetTray(tray_.get());

    // The one wait of the start-up (adapters coming up after logon) comes before the window
    // shows and the event loop runs: nothing is held up by sleeping through it.
    MonitorParts parts{folder_,
                       settings_,
                       *engine_,
                       log_,
                       *adapters_,
                       *platform_.processes,
                       *window_,
                       [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); },
                       [this](bool on) { SetReportTimer(on); }};
    lifecycle_ = std::make_unique<MonitorLifecycle>(parts);
    commands_ = std::make_unique<MainMenuCommands>(parts, *platform_.autostart);
    adapterChoice_ = std::make_unique<AdapterChoice>(settings_, *adapters_);
    signals_ = std::make_unique<SignalWatcher>();
    Wire();
}

MonitorApp::~MonitorApp() {
    // The engine's timers must not fire into a half-destroyed window.
    engine_->Shutdown();
    if (networkWatcher_) {
        networkWatcher_->Stop();
    }
    firstHop_->Stop();
    if (neighbours_) {
        neighbours_->Stop();
    }
}

void MonitorApp::Wire() {
    MainWindow& w = *window_;
    MainMenuCommands& c = *commands_;
    w.OnMenu("MWatch1", [&c] { c.MWatch1_Click(); });
    w.OnMenu("MWatch2", [&c] { c.MWatch2_Click(); });
    w.OnMenu("MRecordLog", [&c] { c.MRecordLog_Click(); });
    w.OnMenu("MClearLog", [&c] { c.MClearLog_Click(); });
    w.OnMenu("MShowLog", [&c] { c.MShowLog_Click(); });
    w.OnMenu("MScanAll", [&c] { c.MScanAll_Click(); });
    w.OnMenu("MWithWindows", [&c] { c.MWithWindows_Click(); });
    w.OnMenu("MNotify", [&c] { c.MNotify_Click(); });
    w.OnMenu("MSyslog", [&c] { c.MSyslog_Click(); });
    w.OnMenu("MWatchIpv6", [&c] { c.MWatchIpv6_Click(); });
    w.OnMenu("MWatchRouter", [&c] { c.MWatchRouter_Click(); });
    w.OnMenu("MWatchFirstHop", [&c] { c.MWatchFirstHop_Click(); });
    w.OnMenu("MNic", [this] { ShowAdapterDialog(); });
    w.OnMenu("MVersion", [this] { ShowAbout(); });
    w.OnMenu("MHelpMain", [this] { ShowHelp(); });
    w.OnMenu("MReportNow", [this] { MReportNow_Click(); });
    w.OnMenu("MReportOption", [this] { MReportOption_Click(); });
    w.OnMenu("MShowDetails", [this] { tray_->RestoreFromTray(); });
    for (const char* end : {"MEnd", "MEnd2"}) {
        w.OnMenu(end, [this] {
            tray_->RemoveIcon();
            Quit();
        });
    }
    connect(&w, &MainWindow::Command1Clicked, this, [this] {
        engine_->Command1_Click();
        networkAlarms_->Clear();
        memory_->Forget();
    });
    connect(&w, &MainWindow::IntervalChosen, this,
            [this](const QString& seconds) { engine_->SetScanInterval(seconds.toStdString()); });
    connect(&w, &MainWindow::CloseRequested, this, [this] { Quit(); });
    connect(signals_.get(), &SignalWatcher::TerminationRequested, this, [this] { Quit(); });
    // The desktop session ending (logout) quits the application without closing the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!fatal_) {
            backgroundMail_->Stop();
            networkAlarms_->Finish();
            lifecycle_->Form_QueryUnload();
            memory_->SaveNow();
        }
    });
}

bool MonitorApp::Start() {
    // Before anything reads them: files another user could have written decide nothing.
    setAside_ = SetAsideUntrusted(
        {settings_.Path(), HostsFile::InFolder(settings_.Path().parent_path()).Path()});
    engine_->StartScanning();
    if (lifecycle_->Form_Load() != MonitorLifecycle::StartResult::Started) {
        return false;
    }
    window_->RefreshViews();
    // The memory first: a notification heard from here on may be a remembered host's.
    StartMemory();
    if (NeighbourEvents* source = platform_.neighbourEvents.get()) {
        neighbours_ = std::make_unique<SourceWatcher>(
            source->Handle(), [source] { return source->PollInterval(); },
            [this, source] { return engine_->HearNeighbours(*source); });
    }
    StartNetworkWatch();
    if (!tray_->InTray() && !window_->isMinimized()) {
        window_->show();
    }
    // From the event loop, not from here: a quit chosen while the box is open must end the
    // program, and a loop started after the box would outlive that quit.
    QTimer::singleShot(0, this, [this] {
        WarnIfDataFolderReadOnly();
        WarnOfSetAsideFiles();
    });
    return true;
}

void MonitorApp::WarnOfSetAsideFiles() {
    auto path = [](const std::filesystem::path& p) { return QString::fromStdString(p.string()); };
    QStringList lines;
    for (const SetAsideFile& file : setAside_) {
        const char* why = texts::kUntrustedWritable;
        switch (file.why) {
            case FileTrust::NotRegular:
                why = texts::kUntrustedNotRegular;
                break;
            case FileTrust::OtherOwner:
                why = texts::kUntrustedOtherOwner;
                break;
            case FileTrust::FolderOtherOwner:
                why = texts::kUntrustedFolderOtherOwner;
                break;
            case FileTrust::FolderWritable:
                why = texts::kUntrustedFolderWritable;
                break;
            default:
                break;
        }
        lines << QString::fromUtf8(file.moved ? texts::kUntrustedMoved : texts::kUntrustedStuck)
                     .arg(path(file.file), QString::fromUtf8(why), path(file.movedTo));
    }
    if (!lines.isEmpty()) {
        lines << QString::fromUtf8(texts::kUntrustedAdvice);
    }
    // A folder that cannot be written at all was told already, and holds no table to tell of.
    HostsFile hosts = HostsFile::InFolder(settings_.Path().parent_path());
    std::optional<HostsFile::LoadStatus> loaded = memory_->LoadResult();
    if (data_.writable && loaded == HostsFile::LoadStatus::SetAside) {
        lines << QString::fromUtf8(texts::kHostsSetAside)
                     .arg(path(hosts.Path()), path(hosts.BadPath()));
    } else if (data_.writable && loaded == HostsFile::LoadStatus::Stuck) {
        lines << QString::fromUtf8(texts::kHostsStuck).arg(path(hosts.Path()));
    }
    setAside_.clear();
    if (!lines.isEmpty()) {
        MessageBox::Warning(nullptr, QString::fromUtf8(texts::kTitle), lines.join("\n\n"));
    }
}

void MonitorApp::WarnLogNotRecorded() {
    // A folder that cannot be written at all was told at start already.
    if (data_.writable && !fatal_) {
        MessageBox::Warning(nullptr, QString::fromUtf8(texts::kTitle),
                            QString::fromUtf8(texts::kLogNotRecorded)
                                .arg(QString::fromStdString(log_.Path().string())));
    }
}

void MonitorApp::WarnIfDataFolderReadOnly() {
    // A monitor that silently records nothing would be trusted for alarms it never kept.
    if (data_.writable) {
        return;
    }
    MessageBox::Warning(nullptr, QString::fromUtf8(texts::kTitle),
                        QString::fromUtf8(texts::kDataFolderNotWritable)
                            .arg(QString::fromStdString(PathToUtf8(data_.folder))));
}

void MonitorApp::Quit() {
    if (quitting_) {
        return;
    }
    quitting_ = true;
    // Before the end line, so a mail cut off by the end is logged while the program still runs.
    backgroundMail_->Stop();
    // A probe under way ends within its wait; its answer is not logged after the end line.
    firstHop_->Stop();
    networkAlarms_->Finish();
    lifecycle_->Form_QueryUnload();
    memory_->SaveNow();
    trayIcon_->Remove();
    if (about_) {
        about_->close();
    }
    if (help_) {
        help_->close();
    }
    if (reportOptions_) {
        reportOptions_->close();
    }
    window_->hide();
    QCoreApplication::quit();
}

void MonitorApp::StartMemory() {
    // The network is known only now that the adapters are read. The engine asks the memory
    // from here on.
    std::vector<ArpEntry> table;
    if (!platform_.arpTable->Read(table)) {
        table.clear();
    }
    gateway_ = 0;
    for (Ipv4 g : platform_.gateways ? platform_.gateways() : std::vector<Ipv4>{}) {
        if (adapters_->InWatchedSubnet(g)) {
            gateway_ = g;
            break;
        }
    }
    memory_->Start(adapters_->WatchIP, adapters_->WatchMask, gateway_, table);
    memory_->SetBeyondIpv4Source(
        {[this]() -> const KnownNetwork& { return networkAlarms_->Known(); },
         [this] { return networkAlarms_->KnownVersion(); }});
    engine_->SetMemory(memory_.get());
}

void MonitorApp::StartNetworkWatch() {
    NetworkStateSource* source = platform_.networkState.get();
    NetworkSnapshot snapshot;
    if (source == nullptr || !source->Dump(snapshot)) {
        snapshot = {};
    }
    networkAlarms_->Start(snapshot, memory_->BeyondIpv4());
    if (const auto& mismatch = memory_->Mismatch()) {
        networkAlarms_->GatewayMacDiffers(mismatch->gateway, mismatch->remembered, mismatch->seen);
    }
    if (source != nullptr) {
        networkWatcher_ = std::make_unique<SourceWatcher>(
            source->Handle(), [source] { return source->PollInterval(); },
            [this, source] { return networkAlarms_->Hear(*source); });
    }
}

void MonitorApp::AlarmRaised(std::string_view message, std::string_view detail,
                             std::string_view explanation) {
    if (!StartupSwitchIsOn(settings_, "Watch", "Notify")) {
        return;
    }
    notifier_->Post(AlarmNotice{AlarmRank(message, detail, gateway_), std::string(message),
                                std::string(detail), std::string(explanation)});
}

void MonitorApp::Notify(const DesktopText& text) {
    if (platform_.notifier) {
        platform_.notifier->Show(QString::fromStdString(text.summary),
                                 QString::fromStdString(text.body));
    }
}

void MonitorApp::Fatal() {
    if (fatal_) {
        return;
    }
    fatal_ = true;
    engine_->Shutdown();
    MessageBox::Information(
        nullptr, QString::fromUtf8(texts::kTitle),
        QString::fromUtf8(kUnexpectedErrorMessage.data(),
                          static_cast<qsizetype>(kUnexpectedErrorMessage.size())));
    QCoreApplication::exit(1);
}

void UrlDocumentOpener::Open(const std::filesystem::path& path) {
    if (openUrl_) {
        openUrl_(QString::fromStdString(PathToUtf8(path)));
    }
}

void MonitorApp::SetReportTimer(bool on) {
    if (on) {
        scheduled_->StartSchedule();
    } else {
        scheduled_->StopSchedule();
    }
}

void MonitorApp::MReportOption_Click() {
    // Modeless and single: a second choice only brings the open dialog forward.
    if (!reportOptions_) {
        reportOptions_ = std::make_unique<ReportOptionDialog>(
            settings_, [this](bool on) { SetReportTimer(on); }, window_.get());
    }
    reportOptions_->Open();
}

void MonitorApp::MReportNow_Click() {
    ReportNowResult result = MakeReportNow(*reports_, settings_);
    if (!result.message.empty()) {
        window_->ShowInformation(result.message);
    }
}

void MonitorApp::StartIconBlink() {
    tray_->StartIconBlink();
}
void MonitorApp::StopIconBlink() {
    tray_->StopIconBlink();
}
void MonitorApp::RequestImmediateReport() {
    immediate_->Request();
}
void MonitorApp::ScanActivity(bool scanning) {
    window_->SetScanning(scanning);
}
void MonitorApp::ViewsChanged() {
    window_->ViewsChanged();
}

void MonitorApp::ShowAbout() {
    if (!about_) {
        about_ = new AboutDialog(QString::fromUtf8(KESTROVE_WEB_ADDRESS), platform_.openUrl,
                                 window_.get());
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MonitorApp::ShowHelp() {
    if (!help_) {
        help_ = new HelpWindow(window_.get());
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MonitorApp::ShowAdapterDialog() {
    AdapterDialog dialog(*adapterChoice_, nullptr);
    dialog.exec();
}

}  // namespace kestrove
