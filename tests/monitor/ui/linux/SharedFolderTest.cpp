// The monitor in a data folder shared with a second user's group (root: the test adds the
// user and the group and removes them again): what that user put there, or could have, is set
// aside before anything reads it, and the user is told which file and why.
#include <grp.h>
#include <sys/stat.h>

#include <QTest>

#include "../MonitorAppFixture.h"
#include "common/ui/MessageBox.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/SecondUser.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

class SharedFolderTest : public MonitorAppFixture {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        ASSERT_TRUE(other_.Ready());
        gid_t shared = ::getgrnam(other_.Group().c_str())->gr_gid;
        ASSERT_EQ(::chown(dir.Path().c_str(), 0, shared), 0);
    }
    // What the other user leaves in the folder: its own file, renamed over ours.
    void Plant(const char* name, const std::string& bytes) {
        fs::path source = outside_ / name;
        WriteFile(source, bytes);
        ::chmod(outside_.Path().c_str(), 0755);
        ::chmod(source.c_str(), 0644);
        fs::path temporary = dir / (std::string(name) + ".tmp");
        ASSERT_EQ(other_.Run({"cp", source.string(), temporary.string()}), 0);
        ASSERT_EQ(other_.Run({"mv", "-f", temporary.string(), (dir / name).string()}), 0);
    }
    std::string Warning() {
        QTest::qWait(50);
        return MessageBox::History().empty() ? std::string()
                                             : MessageBox::History().back().text.toStdString();
    }

    SecondUser other_;
    TempFolder outside_;
};

TEST_F(SharedFolderTest, FilesInAFolderTheGroupMayWriteAreSetAsideAndNamed) {
    // A first run of ours remembers the gateway.
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    Action("MEnd2")->trigger();
    app.reset();
    ASSERT_TRUE(fs::exists(dir / "hosts.dat"));

    // The group may write the folder; the other user swaps in its own files.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 02770), 0);
    Plant("hosts.dat", ReadFile(dir / "hosts.dat"));
    Plant("setting.ini", "[Watch]\r\nChange=0\r\n");
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    std::string warning = Warning();
    for (const char* name : {"setting.ini", "hosts.dat"}) {
        EXPECT_NE(
            warning.find("ファイル「" + (dir / name).string() +
                         "」はほかのユーザーも書き込めるフォルダーにあるため、信用できません。"
                         "使わずに「" +
                         (dir / name).string() + ".bad」へ移しました。"),
            std::string::npos)
            << warning;
        EXPECT_TRUE(fs::exists(dir / (std::string(name) + ".bad")));
    }
    EXPECT_EQ(app->Settings().ReadIni("Watch", "Change"), "1") << "the defaults, not theirs";
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "02-00-00-00-00-66");
    app->Engine().ScanArpTable();
    EXPECT_TRUE(app->Engine().AlarmActive());
}

TEST_F(SharedFolderTest, AnotherUsersFileIsSetAsideWhereTheGroupMayOnlyRead) {
    ASSERT_EQ(::chmod(dir.Path().c_str(), 02770), 0);
    Plant("setting.ini", "[Watch]\r\nChange=0\r\n");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 02750), 0);
    ASSERT_TRUE(App().Start());
    EXPECT_NE(Warning().find("」はほかのユーザーのファイルであるため、信用できません。"),
              std::string::npos)
        << Warning();
    EXPECT_EQ(app->Settings().ReadIni("Watch", "Change"), "1");
}

}  // namespace
}  // namespace kestrove::test
