// Files the monitor sets aside or cannot record to are told to the user once, in Japanese,
// naming the file: a damaged hosts.dat, a link in the alarm log's place.
#include <QCoreApplication>
#include <QTest>

#include "MonitorAppFixture.h"
#include "common/ui/MessageBox.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

using StartupWarningsTest = MonitorAppFixture;

std::vector<std::string> Warnings() {
    std::vector<std::string> shown;
    for (const MessageBox::Shown& box : MessageBox::History()) {
        shown.push_back(box.text.toStdString());
    }
    return shown;
}

TEST_F(StartupWarningsTest, ADamagedHostsFileIsToldOnceAndNamed) {
    WriteFile(dir / "hosts.dat", "kestrove-hosts 1\r\nhost garbage\r\n");
    ASSERT_TRUE(App().Start());
    QTest::qWait(50);
    ASSERT_EQ(Warnings().size(), 1u);
    EXPECT_EQ(Warnings()[0], "覚えているホストの表「" + (dir / "hosts.dat").string() +
                                 "」は壊れているか大きすぎるため、使わずに「" +
                                 (dir / "hosts.dat.bad").string() +
                                 "」へ移しました。新しい表で監視を続けます。");
    EXPECT_TRUE(fs::exists(dir / "hosts.dat.bad"));
}

TEST_F(StartupWarningsTest, ALogThatRecordsNothingIsToldOnceAndTheWatchGoesOn) {
    // A folder in the log's place: nothing can be written there on any system.
    fs::create_directories(dir / "log" / "alart.log");
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "00-AA-BB-CC-DD-0F");
    app->Engine().ScanArpTable();
    QTest::qWait(50);
    ASSERT_EQ(Warnings().size(), 1u) << "the start line and the alarm: one warning";
    EXPECT_NE(Warnings()[0].find("監視ログ「" + (dir / "log" / "alart.log").string() +
                                 "」に記録できません"),
              std::string::npos)
        << Warnings()[0];
    EXPECT_FALSE(fs::exists(dir / "elsewhere")) << "the link was not followed";
    EXPECT_TRUE(app->Engine().AlarmActive()) << "the alarm is still shown";
}

TEST_F(StartupWarningsTest, TheUsersOwnFilesRaiseNothing) {
    ASSERT_TRUE(App().Start());
    Action("MEnd2")->trigger();
    app.reset();
    ASSERT_TRUE(App().Start());
    QTest::qWait(50);
    EXPECT_TRUE(Warnings().empty());
    EXPECT_FALSE(fs::exists(dir / "setting.ini.bad"));
}

}  // namespace
}  // namespace kestrove::test
