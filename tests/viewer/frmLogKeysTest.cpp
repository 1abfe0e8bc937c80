#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

TEST(frmLogKeysTest, CtrlSSavesAndIsShownBesideTheMenuItem) {
    test::TempFolder dir;
    auto log = dir / "alart.log";
    test::WriteFile(log, "2007/05/05 14:03:09 a\r\n");
    frmLog window(log);
    auto* mSave = window.findChild<QAction*>("MSave");
    ASSERT_NE(mSave, nullptr);
    EXPECT_EQ(mSave->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(mSave->shortcut().toString(), "Ctrl+S");

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* box = window.findChild<QPlainTextEdit*>("txtLog");
    box->setFocus();
    box->appendPlainText("edited");
    QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(test::ReadFile(log), "2007/05/05 14:03:09 a\r\nedited\r\n");
}

TEST(frmLogKeysTest, WindowCarriesTheProgramIcon) {
    test::TempFolder dir;
    frmLog window(dir / "missing.log");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(window.windowIcon().pixmap(32, 32).isNull());
}

}  // namespace
}  // namespace kestrove
