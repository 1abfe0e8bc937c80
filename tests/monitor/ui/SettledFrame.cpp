#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "FrameOnScreen.h"
#include "common/ui/ScreenFit.h"

namespace kestrove::test {

QRect SettledFrame(QWidget* window) {
    const char* wm = std::getenv("KESTROVE_TEST_WM");
    bool framed = QGuiApplication::platformName() != "offscreen" &&
                  (wm == nullptr || std::string(wm) != "none");
    if (framed) {
        // On two busy cores the manager may frame a window seconds after its first show.
        EXPECT_TRUE(QTest::qWaitFor(
            [window] { return window->property(ScreenFit::kDoneProperty).toBool(); }, 20000))
            << "never fitted to its frame: " << window->objectName().toStdString();
    }
    QRect last;
    for (int round = 0, still = 0; round < 200 && still < 4; ++round) {
        QTest::qWait(50);
        QRect outer = FrameOnScreen(window);
        still = outer == last ? still + 1 : 0;
        last = outer;
    }
    return last;
}

}  // namespace kestrove::test
