#include <QApplication>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include "MonitorAppFixture.h"
#include "monitor/ui/HelpWindow.h"

namespace kestrove::test {
namespace {

using WindowKeysTest = MonitorAppFixture;

TEST_F(WindowKeysTest, EnterOpensTheChosenHelpTopic) {
    HelpWindow help;
    help.show();
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    auto* contents = help.findChild<QListWidget*>("HelpContents");
    ASSERT_NE(contents, nullptr);
    contents->setFocus();
    contents->setCurrentRow(1);
    ASSERT_EQ(contents->currentItem()->data(Qt::UserRole).toString(), "alarms.html");
    QTest::keyClick(contents, Qt::Key_Return);
    EXPECT_EQ(help.Browser()->source().toString(), "alarms.html");
    contents->setCurrentRow(5);
    QTest::keyClick(contents, Qt::Key_Enter);
    EXPECT_EQ(help.Browser()->source().toString(), "reports.html");
}

TEST_F(WindowKeysTest, TabLeavesTheHostGrid) {
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    arp->Put("192.168.1.2", "00-AA-BB-CC-DD-0F");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();
    MainWindow& w = app->Window();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* grid = w.findChild<QTableView*>("MSFlexGrid1");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    ASSERT_EQ(QApplication::focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), grid);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

}  // namespace
}  // namespace kestrove::test
