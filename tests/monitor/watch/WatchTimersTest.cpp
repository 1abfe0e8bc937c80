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
    EXPECT_THAT(events.activity, ElementsAre(true)) << "lit through the pause";
    EXPECT_FALSE(engine.Timer1().IsActive());
    timers.Advance(199ms);
    EXPECT_THAT(events.activity, ElementsAre(true));
    timers.Advance(1ms);
    EXPECT_THAT(events.activity, ElementsAre(true, false));
    EXPECT_TRUE(engine.Timer1().IsActive());
    // The period is the interval plus the pause: ticks at 2.2, 3.4, ... 10.6 s.
    timers.Advance(10s);
    EXPECT_EQ(arp.reads, 9);
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

    // A host listed later is checked by the scan that lists it, not 10 s later.
    arp.Put("192.168.1.66", "00-AA-BB-CC-DD-01");
    timers.Advance(1200ms);
    EXPECT_EQ(List1().size(), 4u);
    EXPECT_EQ(List1()[2].substr(20), "このPCのMACアドレスがブロードキャストされました");
    timers.Advance(30s);
    EXPECT_EQ(List1().size(), 4u) << "the check finds nothing new";
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

// The check must not run once the switch is off, however it went off: by the menu just before
// the check falls due, or in the file (by hand) while the check timer still runs.
TEST_F(WatchTimersTest, CheckFallingDueWithTheSwitchOffDoesNotRun) {
    engine.StartScanning();
    timers.Advance(1s);  // the first check runs and starts Timer2, due at 11 s
    ASSERT_TRUE(engine.Timer2().IsActive());
    timers.Advance(9999ms);
    engine.SetDuplicateWatch(false);
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    arp.Put("192.168.1.2", "02-00-00-00-00-01");
    timers.Advance(30s);
    EXPECT_TRUE(List1().empty());
    EXPECT_FALSE(engine.Timer2().IsActive());

    engine.SetDuplicateWatch(true);  // due 10 s from now
    timers.Advance(9s);
    WriteFile(settings.Path(), "[Watch]\r\nChange=1\r\nDuplicate=0\r\n");
    arp.Put("192.168.1.66", "00-AA-BB-CC-DD-01");  // listed while off: only a check would find it
    timers.Advance(5s);
    EXPECT_TRUE(List1().empty()) << "the check fell due with the switch off";
    EXPECT_FALSE(engine.Timer2().IsActive()) << "and its timer stays off";
}

TEST_F(WatchTimersTest, ShutdownDuringThePauseStopsEverything) {
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    engine.StartScanning();
    timers.Advance(1100ms);
    ASSERT_TRUE(engine.ScanPause().IsActive());
    engine.Shutdown();
    timers.Advance(60s);
    EXPECT_EQ(arp.reads, 1);
    for (Timer* t : {&engine.Timer1(), &engine.Timer2(), &engine.ScanPause()}) {
        EXPECT_FALSE(t->IsActive());
    }
}

TEST_F(WatchTimersTest, IntervalChoiceCountsFromTheEndOfTheTick) {
    engine.StartScanning();
    timers.Advance(1s);
    ASSERT_EQ(arp.reads, 1);
    engine.SetScanInterval("0.1");
    EXPECT_EQ(engine.Timer1().Interval(), 100ms);
    timers.Advance(299ms);  // the tick ends with its 200 ms pause
    EXPECT_EQ(arp.reads, 1);
    timers.Advance(1ms);
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

}  // namespace
}  // namespace kestrove::test
