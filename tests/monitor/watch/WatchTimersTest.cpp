#include "WatchFixture.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

using WatchTimersTest = WatchFixture;

TEST_F(WatchTimersTest, ScanTickLightsTheLampScansPausesAndRestarts) {
    engine.StartScanning();
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    timers.Advance(999ms);
    EXPECT_EQ(arp.reads, 0);
    timers.Advance(1ms);
    EXPECT_EQ(arp.reads, 1);
    EXPECT_THAT(events.activity, ElementsAre(true, false));
    EXPECT_EQ(yielder.pauses, 1);
    EXPECT_TRUE(engine.Timer1().IsActive());
    timers.Advance(10s);
    EXPECT_EQ(arp.reads, 11);
}

TEST_F(WatchTimersTest, FirstScanRunsTheCheckAndStartsTheCheckTimer) {
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    arp.Put("192.168.1.2", "02-00-00-00-00-01");
    engine.StartScanning();
    EXPECT_TRUE(engine.FirstScan());
    timers.Advance(1s);
    EXPECT_FALSE(engine.FirstScan());
    EXPECT_EQ(List1().size(), 2u) << "the duplicate is found after the first scan";
    EXPECT_TRUE(engine.Timer2().IsActive());

    arp.Put("192.168.1.66", "00-AA-BB-CC-DD-01");
    timers.Advance(8s);
    EXPECT_EQ(List1().size(), 2u);
    timers.Advance(2s);
    EXPECT_EQ(List1().size(), 4u) << "the check runs again 10 s later";
}

TEST_F(WatchTimersTest, DuplicateSwitchOffAtStartKeepsTheCheckOffUntilTurnedOn) {
    settings.WriteIni("Watch", "Duplicate", "0");
    arp.Put("192.168.1.66", "00-AA-BB-CC-DD-01");
    engine.StartScanning();
    timers.Advance(30s);
    EXPECT_FALSE(engine.Timer2().IsActive());
    EXPECT_TRUE(List1().empty());

    engine.SetDuplicateWatch(true);
    EXPECT_EQ(settings.ReadIni("Watch", "Duplicate"), "1");
    timers.Advance(9s);
    EXPECT_TRUE(List1().empty());
    timers.Advance(1s);
    EXPECT_EQ(List1().size(), 2u);

    engine.SetDuplicateWatch(false);
    EXPECT_EQ(settings.ReadIni("Watch", "Duplicate"), "0");
    timers.Advance(60s);
    EXPECT_EQ(List1().size(), 2u) << "the own-MAC check stops with it";
    EXPECT_GT(arp.reads, 60) << "scanning goes on";
}

TEST_F(WatchTimersTest, SwitchTurnedOffDuringACheckStaysOff) {
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    arp.Put("192.168.1.2", "02-00-00-00-00-02");
    engine.StartScanning();
    timers.Advance(1s);
    yielder.onGiveWay = [&](int) { engine.SetDuplicateWatch(false); };
    timers.Advance(10s);
    EXPECT_FALSE(engine.Timer2().IsActive());
}

TEST_F(WatchTimersTest, IntervalChoiceCountsFromTheEndOfTheTick) {
    engine.StartScanning();
    timers.Advance(1s);
    ASSERT_EQ(arp.reads, 1);
    engine.SetScanInterval("0.1");
    EXPECT_EQ(engine.Timer1().Interval(), 100ms);
    timers.Advance(100ms);
    EXPECT_EQ(arp.reads, 2);
    engine.SetScanInterval("30");
    EXPECT_EQ(engine.Timer1().Interval(), 30000ms);
    engine.SetScanInterval("2.0");
    EXPECT_EQ(engine.Timer1().Interval(), 2000ms);
    for (const char* bad : {"", "abc", "0", "-1", "1.0s"}) {
        engine.SetScanInterval(bad);
        EXPECT_EQ(engine.Timer1().Interval(), 2000ms) << bad;
    }
}

TEST_F(WatchTimersTest, ShutdownInTheMiddleOfAScanStopsEverything) {
    for (int i = 1; i <= 10; ++i) {
        arp.Put("192.168.1." + std::to_string(i), "02-00-00-00-00-01");
    }
    engine.StartScanning();
    yielder.onGiveWay = [&](int call) {
        if (call == 3) {
            engine.Shutdown();
        }
    };
    timers.Advance(1s);
    EXPECT_FALSE(engine.Timer1().IsActive());
    EXPECT_FALSE(engine.Timer2().IsActive());
    EXPECT_TRUE(List1().empty()) << "no check runs after the shut-down";
    timers.Advance(60s);
    EXPECT_EQ(arp.reads, 1);
}

}  // namespace
}  // namespace kestrove::test
