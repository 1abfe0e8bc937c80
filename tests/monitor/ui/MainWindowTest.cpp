#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include "MonitorAppFixture.h"
#include "common/ui/MessageBox.h"
#include "common/ui/Twips.h"
#include "monitor/report/mail/MailLibrary.h"
#include "monitor/ui/AboutDialog.h"
#include "monitor/ui/HelpWindow.h"
#include "monitor/ui/LinesModel.h"
#include "monitor/ui/PlatformCaptions.h"
#include "monitor/ui/TrayController.h"
#include "testsupport/LoopbackSocket.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

using MainWindowTest = MonitorAppFixture;

void MoveMouseOver(QWidget* widget) {
    QPointF local(3, 3);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// One line per menu entry: depth, control name, caption ("-" for a separator) and its marks.
std::vector<std::string> MenuLines(const QMenu* menu, int depth) {
    std::vector<std::string> lines;
    for (QAction* a : menu->actions()) {
        std::string line = std::string(depth * 2, ' ') + a->objectName().toStdString() + " " +
                           (a->isSeparator() ? std::string("-") : a->text().toStdString());
        if (a->isCheckable())
            line += a->isChecked() ? " [x]" : " [ ]";
        if (a->isVisible() && !a->isEnabled())
            line += " disabled";
        if (!a->isVisible())
            line += " hidden";
        lines.push_back(line);
        if (a->menu() != nullptr) {
            auto sub = MenuLines(a->menu(), depth + 1);
            lines.insert(lines.end(), sub.begin(), sub.end());
        }
    }
    return lines;
}

TEST_F(MainWindowTest, FreshFolderStartUpWritesDefaultsAdaptersSizeAndStartLine) {
    ASSERT_TRUE(App().Start());
    IniFile& ini = app->Settings();
    EXPECT_EQ(ini.ReadIni("NIC0", "NIC_Name"), "eth0");
    EXPECT_EQ(ini.ReadIni("Size", "Minimized"), "0");
    EXPECT_THAT(LogLines(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました"));
    EXPECT_TRUE(app->Window().isVisible());
    EXPECT_EQ(app->Window().windowTitle(), "Kestrove");
    auto* list1 = app->Window().findChild<QListView*>("List1");
    ASSERT_NE(list1, nullptr);
    EXPECT_EQ(list1->model()->rowCount(), 1);
}

TEST_F(MainWindowTest, MenuTreeHasEveryItemInOrderWithItsMarks) {
    App().Window().SetChecked(MenuItem::MRecordLog, false);
    ASSERT_TRUE(app->Start());
    std::vector<std::string> lines;
    for (QAction* top : app->Window().menuBar()->actions()) {
        lines.push_back(top->objectName().toStdString() + " " + top->text().toStdString() +
                        (top->isEnabled() ? "" : " disabled"));
        auto sub = MenuLines(top->menu(), 1);
        lines.insert(lines.end(), sub.begin(), sub.end());
    }
    EXPECT_THAT(
        lines,
        ElementsAre("MFile ファイル(&F)", "  MBar7 -", "  MEnd2 終了(&E)", "MOption オプション(&O)",
                    "  MWatch 監視する内容(&W)", "    MWatch1 MACアドレスの変化(&A) [x]",
                    "    MWatch2 MACアドレスの重複(&D) [x]", "    MBar10 -",
                    "    MWatchIpv6 IPv6の近隣(&6) [x]", "    MWatchRouter ルーターとゲートウェイ(&R) [x]",
                    "    MWatchFirstHop 最初の中継点の確認(&F) [x]", "  MBar9 -",
                    "  MNic ネットワークインターフェースカードの選択(&C) hidden",
                    "  MBar8 - hidden", "  MScanAll 全IPアドレスをスキャン [ ]",
                    "  MNotify アラームをデスクトップに通知(&N) [x]", "  MBar10 -",
                    "  MLogMenu 監視ログ(&L)", "    MRecordLog ログの記録(&L) [x]",
                    "    MSyslog システムログにも送る(&Y) [ ]", "    MBar2 -",
                    "    MShowLog ログの表示(&S)", "    MBar6 -", "    MClearLog ログを消去(&D)",
                    "  MBar3 -", "  MWithWindows " + std::string(StartAtLogonCaption()) + " [ ]",
                    "MReport レポート作成(&R)", "  MReportOption 自動作成の設定(&M)", "  MBar11 -",
                    "  MReportNow いますぐ作成(&N)", "MHelp ヘルプ(&H)",
                    "  MHelpMain 目次とキーワード(&C)", "  MBar4 -",
                    "  MVersion バージョン情報(&A)"));
    EXPECT_THAT(MenuLines(app->Window().PopupMenu(), 0),
                ElementsAre("MShowDetails 詳細の表示", "MBar1 -", "MEnd Kestroveの終了"));
    auto* combo = app->Window().findChild<QComboBox*>("Combo1");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 11);
    EXPECT_EQ(combo->currentText(), "1.0");
}

TEST_F(MainWindowTest, RecordingOffGreysTheLogAndReportItems) {
    App();
    app->Settings().WriteIni("Log", "Record", "0");
    ASSERT_TRUE(app->Start());
    EXPECT_FALSE(Action("MShowLog")->isEnabled());
    EXPECT_FALSE(Action("MClearLog")->isEnabled());
    EXPECT_FALSE(Action("MReport")->isEnabled());
    EXPECT_FALSE(Action("MRecordLog")->isChecked());
    EXPECT_FALSE(std::filesystem::exists(dir / "log" / "alart.log"));
    Action("MRecordLog")->trigger();
    EXPECT_TRUE(Action("MRecordLog")->isChecked()) << "one toggle per click";
    EXPECT_TRUE(Action("MShowLog")->isEnabled());
    EXPECT_EQ(app->Settings().ReadIni("Log", "Record"), "1");
}

TEST_F(MainWindowTest, WidthIsFixedHeightHasAFloorAndTheListsFollowIt) {
    ASSERT_TRUE(App().Start());
    MainWindow& w = app->Window();
    auto* grid = w.findChild<QTableView*>("MSFlexGrid1");
    auto* list2 = w.findChild<QListView*>("List2");
    w.SetHeightTwips(6000);
    EXPECT_NEAR(w.HeightTwips(), 6000, 15);
    EXPECT_NEAR(grid->height(), Twips::ToPixels(6000 - MainWindow::kListMarginTwips, &w), 1);
    EXPECT_EQ(list2->height(), grid->height());
    EXPECT_NEAR(w.frameGeometry().width(), Twips::ToPixels(7725, &w), 1);
    w.resize(w.width() + 200, w.height());
    EXPECT_NEAR(w.frameGeometry().width(), Twips::ToPixels(7725, &w), 1) << "width snaps back";
    w.SetHeightTwips(1000);
    // The floor leaves the grid as high as it was before the explanation line came.
    EXPECT_NEAR(w.HeightTwips(), 3855 + 240, 15);
    EXPECT_NEAR(grid->height(), Twips::ToPixels(3855 - 2685, &w), 1);
}

TEST_F(MainWindowTest, ClearButtonEmptiesTheRedAlarmList) {
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "00-11-22-33-44-55");
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();
    auto* list1 = app->Window().findChild<QListView*>("List1");
    EXPECT_EQ(list1->model()->rowCount(), 2);
    EXPECT_EQ(list1->palette().color(QPalette::Base), QColor(255, 0, 0));
    QImage drawn = list1->viewport()->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(drawn.width() - 2, drawn.height() - 2), QColor(255, 0, 0))
        << "drawn red, not only set";
    EXPECT_TRUE(app->Tray().timIcon1().IsActive()) << "the blink runs while shown";

    QTest::mouseClick(app->Window().findChild<QPushButton*>("Command1"), Qt::LeftButton);
    app->Window().RefreshViews();
    EXPECT_EQ(list1->model()->rowCount(), 1);
    EXPECT_EQ(list1->model()->index(0, 0).data().toString().toStdString().substr(20),
              "アラームをクリアしました");
    EXPECT_NE(list1->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_FALSE(app->Tray().timIcon1().IsActive());
    auto* grid = app->Window().findChild<QTableView*>("MSFlexGrid1");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "IPアドレス");
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "192.168.  1.  1");
}

TEST_F(MainWindowTest, AlarmIsExplainedNotifiedAndCopiedToTheSystemLog) {
    App();
    app->Settings().WriteIni("Log", "Syslog", "1");
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    EXPECT_TRUE(Action("MNotify")->isChecked()) << "on when the file does not say";
    EXPECT_TRUE(Action("MSyslog")->isChecked());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "02-11-22-33-44-55");
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();

    auto* list1 = app->Window().findChild<QListView*>("List1");
    ASSERT_EQ(list1->model()->rowCount(), 2);
    QString tip = list1->model()->index(1, 0).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("ローカル管理アドレス")) << tip.toStdString();
    QString causes = list1->model()->index(0, 0).data(LinesModel::kExplanationRole).toString();
    EXPECT_EQ(tip, list1->model()->index(1, 0).data().toString() + "\n" + causes)
        << "the whole line, then its likely causes";
    auto* explain = app->Window().findChild<QLabel*>("lblExplain");
    ASSERT_NE(explain, nullptr);
    EXPECT_EQ(explain->text(), "");
    list1->setCurrentIndex(list1->model()->index(1, 0));
    EXPECT_EQ(explain->text(), "考えられる原因と手がかり:\n" + causes);

    ASSERT_EQ(notifications.size(), 1);
    EXPECT_EQ(notifications[0],
              "MACアドレスが変化しました|(192.168.  1.  1:) "
              "00-AA-BB-CC-DD-0E -> 02-11-22-33-44-55\n" +
                  causes);
    EXPECT_EQ(syslog->lines, LogLines()) << "every log line, the start line included";
    EXPECT_EQ(LogLines().size(), 2u) << "the log line itself is unchanged";

    Action("MNotify")->trigger();
    Action("MSyslog")->trigger();
    EXPECT_EQ(app->Settings().ReadIni("Watch", "Notify"), "0");
    EXPECT_EQ(app->Settings().ReadIni("Log", "Syslog"), "0");
    arp->Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    clock->Advance(std::chrono::seconds(10));
    app->Engine().ScanArpTable();
    EXPECT_EQ(notifications.size(), 1);
    EXPECT_EQ(syslog->lines.size(), 2u);
    EXPECT_EQ(LogLines().size(), 3u);
}

TEST_F(MainWindowTest, EndMenuWritesTheEndLineAndHeight) {
    ASSERT_TRUE(App().Start());
    app->Window().SetHeightTwips(5400);
    clock->Advance(std::chrono::seconds(3));
    Action("MEnd2")->trigger();
    EXPECT_THAT(LogLines(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました",
                                        "2007/05/05 14:03:12\tプログラムを終了しました"));
    EXPECT_NEAR(std::stoi(app->Settings().ReadIni("Size", "H")), 5400, 15);
    EXPECT_FALSE(app->Window().isVisible());
}

TEST_F(MainWindowTest, CloseBoxShutsDownLikeTheMenu) {
    ASSERT_TRUE(App().Start());
    app->Window().close();
    EXPECT_EQ(LogLines().size(), 2u);
    EXPECT_EQ(LogLines()[1].substr(20), "プログラムを終了しました");
}

TEST_F(MainWindowTest, MinimizingWithoutATrayKeepsTheWindowReachable) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        GTEST_SKIP() << "this desktop has a tray (Windows always does)";
    }
    ASSERT_TRUE(App().Start());
    app->Window().showMinimized();
    EXPECT_EQ(app->Settings().ReadIni("Size", "Minimized"), "1");
    EXPECT_FALSE(app->Tray().InTray()) << "offscreen has no tray host";
    app->Window().showNormal();
    EXPECT_EQ(app->Settings().ReadIni("Size", "Minimized"), "0");
}

TEST_F(MainWindowTest, StartAtLogonEntryIsWrittenAndRemoved) {
    ASSERT_TRUE(App().Start());
    Action("MWithWindows")->trigger();
    EXPECT_TRUE(Action("MWithWindows")->isChecked());
    EXPECT_TRUE(autostart.Registered());
    Action("MWithWindows")->trigger();
    EXPECT_FALSE(autostart.Registered());
}

TEST_F(MainWindowTest, AboutBoxIsSingleAndItsLinkChangesColourAndOpens) {
    ASSERT_TRUE(App().Start());
    Action("MVersion")->trigger();
    Action("MVersion")->trigger();
    auto boxes = app->Window().findChildren<AboutDialog*>();
    ASSERT_EQ(boxes.size(), 1);
    AboutDialog* about = boxes[0];
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->LinkIsRed());
    MoveMouseOver(about->Link());
    EXPECT_TRUE(about->LinkIsRed());
    MoveMouseOver(about->findChild<QWidget*>("cmdOK"));
    MoveMouseOver(about->findChild<QWidget*>("lblTitle"));
    EXPECT_TRUE(about->LinkIsRed()) << "the button and the title are not among the four areas";
    MoveMouseOver(about->findChild<QWidget*>("Label4"));
    EXPECT_FALSE(about->LinkIsRed());
    MoveMouseOver(about->Link());
    MoveMouseOver(about);
    EXPECT_FALSE(about->LinkIsRed()) << "the background";
    QTest::mouseClick(about->Link(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("http"));
}

TEST_F(MainWindowTest, HelpShowsContentsAndKeywordPages) {
    ASSERT_TRUE(App().Start());
    Action("MHelpMain")->trigger();
    auto* help = app->Window().findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->Browser()->toPlainText().contains("ARP"));
    help->ShowPage("alarms.html#broadcast");
    EXPECT_TRUE(
        help->Browser()->toPlainText().contains("このPCのMACアドレスがブロードキャストされました"));
    EXPECT_GT(help->Keywords()->count(), 20);
}

using ReportWiringTest = MonitorAppFixture;

TEST_F(ReportWiringTest, ReportNowOpensTheReportOrSaysThereIsNoLog) {
    App();
    app->Settings().WriteIni("Log", "Record", "0");
    ASSERT_TRUE(app->Start());
    Action("MReportNow")->trigger();
    ASSERT_EQ(MessageBox::History().size(), 1u);
    EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Information);
    EXPECT_TRUE(opened.isEmpty());

    Action("MRecordLog")->trigger();
    app->Engine().WriteStartLine();
    Action("MReportNow")->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toStdString(), (dir / "report.htm").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "report.htm"));
    EXPECT_TRUE(mail->sent.empty()) << "a report made now is mailed to no one";
}

TEST_F(ReportWiringTest, ScheduleFollowsAutoAndTheRecordingSwitch) {
    App();
    app->Settings().WriteIni("Report", "Auto", "1");
    ASSERT_TRUE(app->Start());
    EXPECT_TRUE(app->Schedule().timReport().IsActive());
    Action("MRecordLog")->trigger();
    EXPECT_FALSE(app->Schedule().timReport().IsActive());
    Action("MRecordLog")->trigger();
    EXPECT_TRUE(app->Schedule().timReport().IsActive());
}

TEST_F(ReportWiringTest, LoggedChangeAlarmStartsTheImmediateReportDelay) {
    App();
    app->Settings().WriteIni("Report", "Immediate", "1");
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    EXPECT_FALSE(app->Immediate().timImmediate().IsActive());
    arp->Replace("192.168.1.1", "00-11-22-33-44-55");
    app->Engine().ScanArpTable();
    EXPECT_TRUE(app->Immediate().timImmediate().IsActive());
}

// A mail server that takes the connection and never answers (an attacker on the path can make
// any server do so) holds neither the watch nor the end: a change during the stalled mail is
// caught, and the end cuts the mail off and logs so before the end line.
TEST_F(ReportWiringTest, StalledMailServerHoldsNeitherTheWatchNorTheEnd) {
    using SteadyClock = std::chrono::steady_clock;
    LoopbackSocket server(4);
    makeMail = [] { return CreateMailLibrary(); };
    App();
    for (auto [key, value] : {std::pair{"Immediate", "1"},
                              {"SendByMail", "1"},
                              {"SendTo", "admin@example.org"},
                              {"SendFrom", "pc@example.org"}}) {
        app->Settings().WriteIni("Report", key, value);
    }
    app->Settings().WriteIni("Report", "SMTPServer", "127.0.0.1:" + std::to_string(server.Port()));
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "00-11-22-33-44-55");
    app->Engine().ScanArpTable();
    ASSERT_TRUE(app->Immediate().timImmediate().IsActive());

    auto start = SteadyClock::now();
    app->Immediate().timImmediate_Timer();
    EXPECT_LT(SteadyClock::now() - start, 2s);
    std::optional<LoopbackSocket> mailUnderWay = server.Accept(10s);
    ASSERT_TRUE(mailUnderWay);

    arp->Replace("192.168.1.1", "00-66-77-88-99-AA");
    app->Engine().ScanArpTable();
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("MACアドレスが変化しました") != std::string::npos;
                            }),
              2);

    start = SteadyClock::now();
    app->Quit();
    EXPECT_LT(SteadyClock::now() - start, 5s);
    lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[lines.size() - 2].find(
                  "レポートメール送信エラー：プログラムの終了により送信を中止しました"),
              std::string::npos)
        << lines[lines.size() - 2];
    EXPECT_NE(lines.back().find("プログラムを終了しました"), std::string::npos);
}

TEST_F(ReportWiringTest, ReportOptionsDialogIsSingle) {
    ASSERT_TRUE(App().Start());
    Action("MReportOption")->trigger();
    Action("MReportOption")->trigger();
    auto dialogs = app->Window().findChildren<QDialog*>("frmReportOption");
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_EQ(app->Settings().ReadIni("Report", "Freq"), "Hourly") << "loading writes Freq";
}

}  // namespace
}  // namespace kestrove::test
