// Host names of change alarms: one lookup per alarm, answers kept, and a budget that bounds
// how long a slow name server can hold the watch.
#include "monitor/watch/AlarmHostNames.h"

#include "WatchFixture.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class AlarmHostNamesTest : public WatchFixture {
protected:
    AlarmHostNamesTest() {
        resolver.spend = [this](std::chrono::milliseconds d) { clock.Advance(d); };
    }
    Ipv4 Host(int i) { return MakeIpv4(192, 168, 1, static_cast<std::uint8_t>(i)); }

    AlarmHostNames names{hostNames, clock};
};

TEST_F(AlarmHostNamesTest, OneLookupPerAlarmAndTheAnswerIsKept) {
    resolver.names[Ip("192.168.1.1")] = "gateway";
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    EXPECT_EQ(resolver.lookups, 1) << "the list, the log and the notification share it";
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    EXPECT_EQ(resolver.lookups, 1);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("(192.168.  1.  1:gateway) 00-11-22-33-44-55 -> "), std::string::npos);
    EXPECT_EQ(List1()[3], "  (192.168.  1.  1:gateway) 00-11-22-33-44-55 -> 00-AA-BB-CC-DD-0E");
}

TEST_F(AlarmHostNamesTest, AnAnswerLaterThanTheAlarmsShareIsNoNameAndEndsLookups) {
    resolver.names[Host(1)] = "late";
    resolver.names[Host(2)] = "late-too";
    resolver.delay = 1900ms;
    TimePoint before = clock.Now();
    EXPECT_EQ(names.NameOf(Host(1)), "");
    EXPECT_EQ(clock.Now() - before, AlarmHostNames::kPerAlarm) << "waited 200 ms, not 1.9 s";
    EXPECT_TRUE(hostNames.NoHostLookup());
    EXPECT_EQ(names.NameOf(Host(2)), "");
    EXPECT_EQ(resolver.lookups, 1) << "lookups are off for the run, as after any empty answer";
}

TEST_F(AlarmHostNamesTest, ManyNamedButSlowAnswersShareTwoSecondsAMinute) {
    resolver.delay = 150ms;
    for (int i = 1; i <= 40; ++i) {
        resolver.names[Host(i)] = "pc" + std::to_string(i);
    }
    TimePoint before = clock.Now();
    int named = 0;
    for (int i = 1; i <= 40; ++i) {
        named += names.NameOf(Host(i)).empty() ? 0 : 1;
    }
    EXPECT_EQ(named, 13) << "while at least one alarm's share of the 2 s is left";
    EXPECT_LE(clock.Now() - before, AlarmHostNames::kPerMinute);
    EXPECT_FALSE(hostNames.NoHostLookup()) << "running out of budget is no empty answer";
    EXPECT_EQ(names.NameOf(Host(1)), "pc1") << "kept";

    clock.Advance(1min);
    EXPECT_EQ(names.NameOf(Host(30)), "pc30") << "the budget refills within a minute";
    clock.Advance(AlarmHostNames::kKeep);
    resolver.lookups = 0;
    EXPECT_EQ(names.NameOf(Host(1)), "pc1");
    EXPECT_EQ(resolver.lookups, 1) << "asked again once kept long enough";
}

}  // namespace
}  // namespace kestrove::test
