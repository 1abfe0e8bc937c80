// The monitor with its files in a data folder other than the program folder, and with no folder
// it can write.
#include <QCoreApplication>
#include <QListView>

#include "MonitorAppFixture.h"
#include "common/ui/MessageBox.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using DataFolderWiringTest = MonitorAppFixture;

TEST_F(DataFolderWiringTest, EveryFileGoesToTheDataFolderAndTheViewerIsHandedItsLog) {
    TempFolder own;
    data = DataFolderChoice{own.Path(), true};
    ASSERT_TRUE(App().Start());
    EXPECT_TRUE(fs::exists(own / "setting.ini"));
    EXPECT_THAT(ReadCp932Lines(own / "log" / "alart.log"),
                ElementsAre("2007/05/05 14:03:09\tプログラムを開始しました"));

    Action("MShowLog")->trigger();
    ASSERT_FALSE(processes->started.empty());
    EXPECT_EQ(processes->started.back().program, dir / "Quillpane") << "the viewer stays beside";
    EXPECT_THAT(processes->started.back().args, ElementsAre((own / "log" / "alart.log").string()));

    QCoreApplication::processEvents();
    Action("MReportNow")->trigger();
    EXPECT_TRUE(fs::exists(own / "report.htm"));
    int dated = 0;
    for (const auto& entry : fs::directory_iterator(own / "log")) {
        dated += entry.path().filename().string().starts_with("Report_") ? 1 : 0;
    }
    EXPECT_EQ(dated, 1);
    EXPECT_TRUE(fs::is_empty(dir.Path())) << "nothing lands beside the program";
    EXPECT_TRUE(MessageBox::History().empty());
}

TEST_F(DataFolderWiringTest, NoWritableFolderWarnsOnceNamingItAndTheWatchGoesOn) {
    // Below a file, so not even root could create it.
    WriteFile(dir / "file", "");
    const fs::path nowhere = dir / "file" / "Kestrove";
    data = DataFolderChoice{nowhere, false};
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    QCoreApplication::processEvents();

    ASSERT_EQ(MessageBox::History().size(), 1u);
    const MessageBox::Shown& box = MessageBox::History()[0];
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.title, "Kestrove");
    EXPECT_THAT(box.text.toStdString(), HasSubstr("「" + nowhere.string() + "」"));
    EXPECT_THAT(box.text.toStdString(), HasSubstr("警報は記録されず"));

    EXPECT_TRUE(app->Engine().Timer1().IsActive());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "00-11-22-33-44-55");
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();
    auto* list1 = app->Window().findChild<QListView*>("List1");
    EXPECT_EQ(list1->model()->rowCount(), 2) << "the change alarm's two lines";
    EXPECT_EQ(MessageBox::History().size(), 1u);
}

}  // namespace
}  // namespace kestrove::test
