// Quillpane whole on a 1280x900 screen under openbox, at 96 dpi and at twice the size (built
// twice): its design size (10035 x 7725 twips of client area) is larger than the screen at
// twice the size, so it is clamped and its box scrolls.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include "common/ui/ScreenFit.h"
#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

TEST(frmLogFitTest, TheWindowIsWholeOnTheScreenAndItsBoxInsideIt) {
    test::TempFolder dir;
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text += "2007/05/05 14:05:00 MAC " + std::to_string(i) + "\r\n";
    }
    test::WriteFile(dir / "alart.log", text);
    frmLog window(dir / "alart.log");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Until the fit after openbox's framing is done; then until the frame stands still.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.property(ScreenFit::kDoneProperty).toBool(); }, 20000));
    QRect outer;
    for (int round = 0, still = 0; round < 80 && still < 4; ++round) {
        QTest::qWait(50);
        still = window.frameGeometry() == outer ? still + 1 : 0;
        outer = window.frameGeometry();
    }
    QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(outer))
        << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height() << " on "
        << area.width() << "x" << area.height();
    auto* box = window.findChild<QPlainTextEdit*>("txtLog");
    EXPECT_LE(box->geometry().right(), window.centralWidget()->width());
    EXPECT_LE(box->geometry().bottom(), window.centralWidget()->height());
    RecordProperty("frmLog", std::to_string(outer.width()) + "x" + std::to_string(outer.height()));
}

}  // namespace
}  // namespace kestrove
