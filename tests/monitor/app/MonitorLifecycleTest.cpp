#include "monitor/app/MonitorLifecycle.h"

#include "../watch/WatchFixture.h"
#include "FakeMainView.h"
#include "monitor/app/MainMenuCommands.h"
#include "testsupport/FakeProcessControl.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using namespace std::string_literals;

class StubAutostart final : public Autostart {
public:
    std::string AddRunEntryUser() override {
        ++adds;
        return error;
    }
    void RemoveRunEntryUser() override { ++removes; }
    std::string error;
    int adds = 0;
    int removes = 0;
};

class MonitorLifecycleTest : public WatchFixture {
protected:
    MonitorLifecycleTest() {
        std::filesystem::remove(settings.Path());  // every test starts from a fresh folder
        log.Clear();
    }

    MonitorParts Parts() {
        return MonitorParts{dir.Path(),
                            settings,
                            engine,
                            log,
                            adapters,
                            processes,
                            view,
                            [this](std::chrono::milliseconds d) {
                                waited += d;
                                if (onWait) {
                                    onWait();
                                }
                            },
                            [this](bool on) { reportTimer.push_back(on); }};
    }

    FakeMainView view;
    FakeProcessControl processes;
    StubAutostart autostart;
    std::vector<bool> reportTimer;
    std::chrono::milliseconds waited{0};
    std::function<void()> onWait;
    MonitorLifecycle lifecycle{Parts()};
    MainMenuCommands commands{Parts(), autostart};
};

TEST_F(MonitorLifecycleTest, FreshFolderGetsDefaultsAdaptersAndTheStartLine) {
    ASSERT_EQ(lifecycle.Form_Load(), MonitorLifecycle::StartResult::Started);
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(settings.ReadIni("Watch", "Duplicate"), "1");
    EXPECT_EQ(settings.ReadIni("Scan", "All"), "0");
    EXPECT_EQ(settings.ReadIni("Log", "Record"), "1");
    EXPECT_EQ(settings.ReadIni("NIC0", "MAC_Addr"), "00-AA-BB-CC-DD-01");
    EXPECT_EQ(settings.ReadIni("Report", "Auto"), "") << "no report key until the dialog opens";
    EXPECT_TRUE(view.IsChecked(MenuItem::MWatch1));
    EXPECT_TRUE(view.IsChecked(MenuItem::MWatch2));
    EXPECT_TRUE(view.IsChecked(MenuItem::MRecordLog));
    EXPECT_FALSE(view.IsChecked(MenuItem::MScanAll));
    EXPECT_TRUE(view.IsEnabled(MenuItem::MShowLog));
    EXPECT_THAT(LogLines(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました"));
    EXPECT_THAT(List1(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました"));
    EXPECT_TRUE(processes.started.empty());
    EXPECT_TRUE(reportTimer.empty());
}

TEST_F(MonitorLifecycleTest, EmptyValuesGetTheirDefaultsAndOtherValuesStay) {
    WriteFile(settings.Path(), "[Watch]\r\nChange=\r\nDuplicate=0\r\n[Log]\r\nRecord=true\r\n");
    lifecycle.Form_Load();
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(settings.ReadIni("Watch", "Duplicate"), "0");
    EXPECT_FALSE(view.IsChecked(MenuItem::MWatch2));
    EXPECT_FALSE(view.IsChecked(MenuItem::MRecordLog)) << "only exactly 1 is on";
}

// A settings file the monitor cannot use must not switch the watch off: it runs on the start-up
// defaults, as it does on a fresh installation.
TEST_F(MonitorLifecycleTest, FolderInPlaceOfTheSettingsFileStillWatchesAndRecords) {
    std::filesystem::create_directory(settings.Path());
    ASSERT_EQ(lifecycle.Form_Load(), MonitorLifecycle::StartResult::Started);
    EXPECT_TRUE(std::filesystem::is_directory(settings.Path()));
    EXPECT_TRUE(view.IsChecked(MenuItem::MWatch1));
    EXPECT_TRUE(view.IsChecked(MenuItem::MWatch2));
    EXPECT_TRUE(view.IsChecked(MenuItem::MRecordLog));
    EXPECT_FALSE(view.IsChecked(MenuItem::MScanAll));

    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    arp.Put("192.168.1.2", "00-AA-BB-CC-DD-0E");
    engine.StartScanning();
    timers.Advance(std::chrono::seconds(2));
    EXPECT_TRUE(engine.Timer2().IsActive()) << "the duplicate check runs";
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    timers.Advance(std::chrono::seconds(2));
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u) << Log();
    EXPECT_EQ(lines[0].substr(20), "プログラムを開始しました");
    EXPECT_THAT(lines[1].substr(20), StartsWith("同一MACアドレスが重複しています\t"));
    EXPECT_THAT(lines[2].substr(20), StartsWith("MACアドレスが変化しました\t"));
}

TEST_F(MonitorLifecycleTest, GarbageSettingsFileGetsTheDefaultsAndKeepsItsBytes) {
    const std::string garbage = "\x81[Watch\0Change=0\xFF\r\n]]==\x82\xA0\n"s;
    WriteFile(settings.Path(), garbage);
    lifecycle.Form_Load();
    EXPECT_EQ(ReadFile(settings.Path()).substr(0, garbage.size()), garbage);
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(settings.ReadIni("Log", "Record"), "1");
    EXPECT_TRUE(view.IsChecked(MenuItem::MWatch1));
    EXPECT_THAT(LogLines(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました"));
}

TEST_F(MonitorLifecycleTest, RecordingOffGreysTheLogItemsAndWritesNoStartLine) {
    settings.WriteIni("Log", "Record", "0");
    lifecycle.Form_Load();
    EXPECT_FALSE(view.IsEnabled(MenuItem::MShowLog));
    EXPECT_FALSE(view.IsEnabled(MenuItem::MClearLog));
    EXPECT_FALSE(view.IsEnabled(MenuItem::MReport));
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
    EXPECT_EQ(List1().size(), 1u);
}

TEST_F(MonitorLifecycleTest, NoOwnMacRetriesOnceThenWarnsAndWritesNothing) {
    adapters.OwnMacList.fill("");  // as in a fresh process
    adapterSource.status = AdapterQueryStatus::NoAdapter;
    EXPECT_EQ(lifecycle.Form_Load(), MonitorLifecycle::StartResult::NoOwnMac);
    EXPECT_EQ(waited, std::chrono::milliseconds(500))
        << "half a second of waiting between the two tries";
    EXPECT_THAT(view.warnings,
                ElementsAre("MACアドレスが取得できませんでした。\u3000再起動してみてください。"));
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
    EXPECT_FALSE(engine.Timer1().IsActive());
}

TEST_F(MonitorLifecycleTest, AdapterAppearingDuringTheWaitIsTaken) {
    adapters.OwnMacList.fill("");
    adapterSource.status = AdapterQueryStatus::NoAdapter;
    onWait = [&] { adapterSource.status = AdapterQueryStatus::Ok; };
    EXPECT_EQ(lifecycle.Form_Load(), MonitorLifecycle::StartResult::Started);
    EXPECT_TRUE(view.warnings.empty());
}

TEST_F(MonitorLifecycleTest, SweeperReportTimerAndTrayFromTheSettings) {
    settings.WriteIni("Scan", "All", "1");
    settings.WriteIni("Size", "Minimized", "1");
    settings.WriteIni("Size", "H", "4500");
    settings.WriteIni("Report", "Auto", "1");
    settings.WriteIni("Log", "Record", "0");
    lifecycle.Form_Load();
    EXPECT_TRUE(view.IsChecked(MenuItem::MScanAll));
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].program, dir.Path() / "Meshprobe");
    EXPECT_EQ(view.hiddenToTray, 1);
    EXPECT_EQ(view.height, 6000) << "the height is not applied when starting in the tray";
    EXPECT_THAT(reportTimer, ElementsAre(true)) << "whatever the recording state";
}

TEST_F(MonitorLifecycleTest, SavedHeightIsAppliedWhenNotInTheTray) {
    settings.WriteIni("Size", "H", "4500");
    lifecycle.Form_Load();
    EXPECT_EQ(view.height, 4500);
    EXPECT_EQ(view.hiddenToTray, 0);
}

TEST_F(MonitorLifecycleTest, ShutdownStopsTheSweeperWritesTheEndLineAndHeightOnce) {
    lifecycle.Form_Load();
    view.height = 5220;
    clock.Advance(std::chrono::seconds(2));
    lifecycle.Form_QueryUnload();
    lifecycle.Form_QueryUnload();
    EXPECT_THAT(processes.terminated, ElementsAre(dir.Path() / "Meshprobe"));
    EXPECT_THAT(LogLines(), ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました",
                                        "2007/05/05 14:03:11\tプログラムを終了しました"));
    EXPECT_EQ(settings.ReadIni("Size", "H"), "5220");
    EXPECT_FALSE(engine.Timer1().IsActive());
}

TEST_F(MonitorLifecycleTest, MenuSwitchesWriteTheirSettings) {
    lifecycle.Form_Load();
    commands.MWatch1_Click();
    EXPECT_FALSE(view.IsChecked(MenuItem::MWatch1));
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "0");
    commands.MWatch2_Click();
    EXPECT_EQ(settings.ReadIni("Watch", "Duplicate"), "0");
    EXPECT_FALSE(engine.Timer2().IsActive());
    commands.MWatch2_Click();
    EXPECT_TRUE(engine.Timer2().IsActive());
}

TEST_F(MonitorLifecycleTest, RecordSwitchTogglesItemsAndTheReportTimer) {
    lifecycle.Form_Load();
    commands.MRecordLog_Click();
    EXPECT_FALSE(engine.RecordLog());
    EXPECT_EQ(settings.ReadIni("Log", "Record"), "0");
    EXPECT_FALSE(view.IsEnabled(MenuItem::MShowLog));
    EXPECT_FALSE(view.IsEnabled(MenuItem::MReport));
    commands.MRecordLog_Click();
    EXPECT_EQ(settings.ReadIni("Log", "Record"), "1");
    EXPECT_TRUE(view.IsEnabled(MenuItem::MClearLog));
    EXPECT_THAT(reportTimer, ElementsAre(false)) << "[Report] Auto is off";
    settings.WriteIni("Report", "Auto", "1");
    commands.MRecordLog_Click();
    commands.MRecordLog_Click();
    EXPECT_THAT(reportTimer, ElementsAre(false, false, true));
    EXPECT_EQ(LogLines().size(), 1u) << "the switch itself writes no line";
}

TEST_F(MonitorLifecycleTest, LogCommandsShowAndDeleteTheLog) {
    lifecycle.Form_Load();
    commands.MShowLog_Click();
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].program, dir.Path() / "Quillpane");
    EXPECT_THAT(processes.started[0].args,
                ElementsAre((dir.Path() / "log" / "alart.log").string()));
    commands.MClearLog_Click();
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST_F(MonitorLifecycleTest, ScanAllStartsAndStopsTheSweeper) {
    lifecycle.Form_Load();
    commands.MScanAll_Click();
    EXPECT_EQ(settings.ReadIni("Scan", "All"), "1");
    ASSERT_EQ(processes.started.size(), 1u);
    commands.MScanAll_Click();
    EXPECT_EQ(settings.ReadIni("Scan", "All"), "0");
    EXPECT_THAT(processes.terminated, ElementsAre(dir.Path() / "Meshprobe"));
    processes.startSucceeds = false;
    commands.MScanAll_Click();
    EXPECT_EQ(settings.ReadIni("Scan", "All"), "1") << "a failed start leaves the choice as made";
    EXPECT_TRUE(view.warnings.empty());
}

TEST_F(MonitorLifecycleTest, StartAtLogonFailureIsShownAndTheChoiceStays) {
    lifecycle.Form_Load();
    commands.MWithWindows_Click();
    EXPECT_EQ(settings.ReadIni("Startup", "WithWindows"), "1");
    EXPECT_EQ(autostart.adds, 1);
    commands.MWithWindows_Click();
    EXPECT_EQ(settings.ReadIni("Startup", "WithWindows"), "0");
    EXPECT_EQ(autostart.removes, 1);
    autostart.error = "Permission denied";
    commands.MWithWindows_Click();
    EXPECT_THAT(view.warnings, ElementsAre("Permission denied"));
    EXPECT_TRUE(view.IsChecked(MenuItem::MWithWindows));
    EXPECT_EQ(settings.ReadIni("Startup", "WithWindows"), "1");
}

}  // namespace
}  // namespace kestrove::test
