// The main window's height across restarts. Built three times: offscreen, and on an X server of
// the test's own with and without a window manager, whose frame is what the height must hold.
#include <QScreen>
#include <QTest>

#include "FrameOnScreen.h"
#include "MonitorAppFixture.h"
#include "common/ui/Twips.h"

namespace kestrove::test {
namespace {

class WindowHeightTest : public MonitorAppFixture {
protected:
    // Starts the monitor on setting.ini as it is and waits until a window manager's frame, if
    // any, stands still.
    MainWindow& StartAndSettle() {
        EXPECT_TRUE(App().Start());
        MainWindow& w = app->Window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        SettledFrame(&w);
        return w;
    }
    // Ends the monitor by its menu and gives back the height it stored.
    std::string Restart() {
        Action("MEnd2")->trigger();
        std::string stored = app->Settings().ReadIni("Size", "H");
        app.reset();
        return stored;
    }
    void Store(const std::string& h) {
        App().Settings().WriteIni("Size", "H", h);
        app.reset();
    }
    int OuterTwips(MainWindow& w) { return Twips::FromPixels(FrameOnScreen(&w).height(), &w); }
};

TEST_F(WindowHeightTest, StoredHeightIsTheOuterHeightOverThreeRestarts) {
    for (const char* height : {"6000", "4500", "7500"}) {
        SCOPED_TRACE(height);
        Store(height);
        for (int restart = 1; restart <= 3; ++restart) {
            SCOPED_TRACE(restart);
            MainWindow& w = StartAndSettle();
            EXPECT_EQ(OuterTwips(w), std::stoi(height)) << "the window as shown";
            EXPECT_EQ(Restart(), height) << "the height written at the end";
        }
    }
}

TEST_F(WindowHeightTest, StoredHeightIsClampedToTheScreenOrIgnored) {
    MainWindow& first = StartAndSettle();
    int screenTwips = Twips::FromPixels(first.screen()->availableGeometry().height(), &first);
    int designTwips = OuterTwips(first);
    Restart();
    struct Case {
        const char* stored;
        int shown;  // outer height in twips
    };
    const Case cases[] = {
        {"99999999", screenTwips},      {"2147483647", screenTwips},
        {"9999999999999", designTwips}, {"100", MainWindow::kMinOuterHeightTwips},
        {"abc", designTwips},           {"12abc", designTwips},
        {"-600", designTwips},          {"", designTwips},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Store(c.stored);
        MainWindow& w = StartAndSettle();
        EXPECT_NEAR(OuterTwips(w), c.shown, 15);
        EXPECT_NEAR(std::stoi(Restart()), c.shown, 15);
    }
}

}  // namespace
}  // namespace kestrove::test
