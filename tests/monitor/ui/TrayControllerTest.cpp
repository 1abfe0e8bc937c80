#include "monitor/ui/TrayController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/FakeTimers.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class FakeTrayIcon final : public TrayIcon {
public:
    bool Available() const override { return available; }
    void Add() override {
        ++adds;
        shown = true;
    }
    void Remove() override { shown = false; }
    void SetAlarmPicture(bool alarm) override { pictures.push_back(alarm); }

    bool available = true;
    bool shown = false;
    int adds = 0;
    std::vector<bool> pictures;
};

class FakeTrayWindow final : public TrayWindow {
public:
    void HideWindow() override { state = "hidden"; }
    void MinimizeWindow() override { state = "minimized"; }
    void ShowNormalAndActivate() override { state = "shown"; }
    std::string state = "shown";
};

class TrayControllerTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeTimerFactory timers{clock};
    FakeTrayIcon icon;
    FakeTrayWindow window;
    bool alarm = false;
    TrayController tray{icon, window, timers, [this] { return alarm; }};
};

TEST_F(TrayControllerTest, HidingAddsTheNormalIconAndHidesTheWindow) {
    tray.HideToTray();
    EXPECT_TRUE(tray.InTray());
    EXPECT_TRUE(icon.shown);
    EXPECT_EQ(window.state, "hidden");
    EXPECT_THAT(icon.pictures, ElementsAre(false));
    timers.Advance(5s);
    EXPECT_THAT(icon.pictures, ElementsAre(false)) << "no alarm: a steady icon";
}

TEST_F(TrayControllerTest, BlinkShowsTheAlarmPictureFirstInOneSecondPhases) {
    alarm = true;
    tray.StartIconBlink();  // an alarm while the window is shown
    tray.HideToTray();
    icon.pictures.clear();
    timers.Advance(999ms);
    EXPECT_TRUE(icon.pictures.empty());
    timers.Advance(1ms);
    EXPECT_THAT(icon.pictures, ElementsAre(true));
    timers.Advance(3s);
    EXPECT_THAT(icon.pictures, ElementsAre(true, false, true, false));
}

TEST_F(TrayControllerTest, RestoringStopsTheBlinkButNotTheAlarm) {
    alarm = true;
    tray.HideToTray();
    timers.Advance(1500ms);
    tray.RestoreFromTray();
    EXPECT_FALSE(tray.InTray());
    EXPECT_FALSE(icon.shown);
    EXPECT_EQ(window.state, "shown");
    std::size_t seen = icon.pictures.size();
    timers.Advance(5s);
    EXPECT_EQ(icon.pictures.size(), seen);
    tray.HideToTray();
    timers.Advance(2s);
    EXPECT_GT(icon.pictures.size(), seen + 1) << "minimizing again resumes the blink";
    alarm = false;
    tray.StopIconBlink();  // the clear button
    seen = icon.pictures.size();
    timers.Advance(5s);
    EXPECT_EQ(icon.pictures.size(), seen);
}

TEST_F(TrayControllerTest, IconIsAddedAgainEveryTenSecondsOnlyWhileInTheTray) {
    timers.Advance(30s);
    EXPECT_EQ(icon.adds, 0);
    tray.HideToTray();
    icon.shown = false;  // the tray host restarted and lost it
    timers.Advance(10s);
    EXPECT_TRUE(icon.shown);
    EXPECT_EQ(icon.adds, 2);
}

TEST_F(TrayControllerTest, WithoutATrayTheWindowIsMinimizedNotHidden) {
    icon.available = false;
    alarm = true;
    tray.HideToTray();
    EXPECT_EQ(window.state, "minimized");
    EXPECT_FALSE(tray.InTray());
    EXPECT_FALSE(icon.shown);
    timers.Advance(3s);
    EXPECT_TRUE(tray.timIcon1().IsActive() || tray.timIcon2().IsActive())
        << "the blink runs harmlessly";
}

}  // namespace
}  // namespace kestrove::test
