#include "monitor/ui/MonitorApp.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "common/ui/MessageBox.h"
#include "monitor/report/ReportTriggers.h"
#include "monitor/report/mail/CurlMailLibrary.h"
#include "monitor/settings/linux/XdgAutostart.h"
#include "monitor/ui/AboutDialog.h"
#include "monitor/ui/AdapterDialog.h"
#include "monitor/ui/HelpWindow.h"
#include "monitor/ui/MainWindow.h"
#include "monitor/ui/MainWindowTexts.h"
#include "monitor/ui/QtTrayIcon.h"
#include "monitor/ui/ReportOptionDialog.h"
#include "monitor/ui/TrayController.h"
#include "monitor/ui/linux/SignalWatcher.h"
#include "monitor/watch/AdapterChoice.h"
#include "monitor/watch/MainMenuCommands.h"
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
    p.adapters = CreateAdapterSource();
    p.resolver = CreateHostNameResolver();
    p.processes = CreateProcessControl();
    p.autostart =
        std::make_unique<XdgAutostart>(programFolder / "Kestrove", XdgAutostart::DefaultFolder());
    p.clock = std::make_unique<SystemClock>();
    p.mail = std::make_unique<CurlMailLibrary>();
    p.openUrl = [](const QString& url) {
        QDesktopServices::openUrl(url.startsWith('/') ? QUrl::fromLocalFile(url) : QUrl(url));
    };
    return p;
}

MonitorApp::MonitorApp(std::filesystem::path programFolder, MonitorPlatform platform)
    : folder_(std::move(programFolder)),
      platform_(std::move(platform)),
      settings_(IniFile::InFolder(folder_)),
      log_(folder_),
      timers_([this] { Fatal(); }) {
    InitKestroveResources();
    adapters_ = std::make_unique<OwnAdapters>(*platform_.adapters);
    hostNames_ = std::make_unique<HostNameLookup>(*platform_.resolver);
    opener_ = std::make_unique<UrlDocumentOpener>(platform_.openUrl);
    reports_ = std::make_unique<ReportBuilder>(folder_, *platform_.clock, *opener_);
    mailer_ = std::make_unique<ReportMailSender>(settings_, log_, *platform_.clock, folder_,
                                                 *platform_.mail);
    scheduled_ = std::make_unique<ScheduledReports>(settings_, *platform_.clock, timers_, *reports_,
                                                    *mailer_);
    immediate_ = std::make_unique<ImmediateReports>(settings_, timers_, *reports_, *mailer_);
    engine_ = std::make_unique<WatchEngine>(WatchServices{settings_, log_, *platform_.arpTable,
                                                          *adapters_, *hostNames_, *platform_.clock,
                                                          timers_, yielder_, *this});
    window_ = std::make_unique<MainWindow>(*engine_, settings_);
    trayIcon_ =
        std::make_unique<QtTrayIcon>(window_->PopupMenu(), [this] { tray_->RestoreFromTray(); });
    tray_ = std::make_unique<TrayController>(*trayIcon_, *window_, timers_,
                                             [this] { return engine_->AlarmActive(); });
    window_->SetTray(tray_.get());

    MonitorParts parts{folder_,  settings_,  *engine_,
                       log_,     *adapters_, *platform_.processes,
                       *window_, yielder_,   [this](bool on) { SetReportTimer(on); }};
    lifecycle_ = std::make_unique<MonitorLifecycle>(parts);
    commands_ = std::make_unique<MainMenuCommands>(parts, *platform_.autostart);
    adapterChoice_ = std::make_unique<AdapterChoice>(settings_, *adapters_);
    signals_ = std::make_unique<SignalWatcher>();
    Wire();
}

MonitorApp::~MonitorApp() {
    // The engine's timers must not fire into a half-destroyed window.
    engine_->Shutdown();
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
    connect(&w, &MainWindow::Command1Clicked, this, [this] { engine_->Command1_Click(); });
    connect(&w, &MainWindow::IntervalChosen, this,
            [this](const QString& seconds) { engine_->SetScanInterval(seconds.toStdString()); });
    connect(&w, &MainWindow::CloseRequested, this, [this] { Quit(); });
    connect(signals_.get(), &SignalWatcher::TerminationRequested, this, [this] { Quit(); });
    // The desktop session ending (logout) quits the application without closing the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!fatal_) {
            lifecycle_->Form_QueryUnload();
        }
    });
}

bool MonitorApp::Start() {
    engine_->StartScanning();
    if (lifecycle_->Form_Load() != MonitorLifecycle::StartResult::Started) {
        return false;
    }
    window_->RefreshViews();
    if (!tray_->InTray() && !window_->isMinimized()) {
        window_->show();
    }
    return true;
}

void MonitorApp::Quit() {
    if (quitting_) {
        return;
    }
    quitting_ = true;
    lifecycle_->Form_QueryUnload();
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
        openUrl_(QString::fromStdString(path.string()));
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
