#include "WatchFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using WatchEngineTest = WatchFixture;

TEST_F(WatchEngineTest, NewHostIsListedRecordedAndShownWithoutAlarm) {
    arp.Put("192.168.1.20", "00-11-22-33-44-55");
    Scan();
    EXPECT_THAT(List2(), ElementsAre("00-11-22-33-44-55 (192.168.  1. 20)"));
    EXPECT_THAT(GridRows(engine), ElementsAre("192.168.  1. 20 00-11-22-33-44-55"));
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_FALSE(engine.List1().IsRed());
    EXPECT_EQ(events.blinkStarts, 0);
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST_F(WatchEngineTest, GridKeepsOnlyTheWatchedSubnetInAddressOrder) {
    arp.Put("192.168.1.10", "00-00-00-00-00-10");
    arp.Put("10.0.0.1", "00-00-00-00-00-01");
    arp.Put("192.168.1.5", "00-00-00-00-00-00");
    arp.Put("192.168.2.5", "00-00-00-00-00-02");
    arp.Put("192.168.1.9", "00-00-00-00-00-09");
    Scan();
    EXPECT_THAT(GridRows(engine), ElementsAre("192.168.  1.  5 00-00-00-00-00-00",
                                              "192.168.  1.  9 00-00-00-00-00-09",
                                              "192.168.  1. 10 00-00-00-00-00-10"));
    EXPECT_EQ(engine.HostCount(), 2u) << "the zero MAC and other subnets are never recorded";
}

TEST_F(WatchEngineTest, ChangeAlarmThenChangeBackGivesTwoAlarms) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    EXPECT_THAT(List1(),
                ElementsAre(kStamp + "\tMACアドレスが変化しました",
                            "  (192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55"));
    EXPECT_TRUE(engine.List1().IsRed());
    EXPECT_TRUE(engine.AlarmActive());
    EXPECT_EQ(events.blinkStarts, 1);
    EXPECT_EQ(events.immediateRequests, 1);
    EXPECT_EQ(ReadFile(log.Path()),
              Utf8ToCp932(kStamp + "\tMACアドレスが変化しました\t(192.168.  1.  1:) "
                                   "00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55\r\n"));

    Scan();
    EXPECT_EQ(LogLines().size(), 1u) << "a change is reported once";

    clock.Advance(std::chrono::seconds(5));
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    EXPECT_EQ(List1().size(), 4u) << "a red list accumulates";
    EXPECT_THAT(LogLines(), ElementsAre(::testing::_,
                                        "2007/05/05 14:03:14\tMACアドレスが変化しました\t"
                                        "(192.168.  1.  1:) 00-11-22-33-44-55 -> "
                                        "00-AA-BB-CC-DD-0E"));
    EXPECT_THAT(List2(), ElementsAre("00-AA-BB-CC-DD-0E (192.168.  1.  1)"))
        << "the history keeps the first MAC";
}

TEST_F(WatchEngineTest, UnresolvedEntriesAreNeverRecordedOrCompared) {
    arp.Put("192.168.1.7", "00-00-00-00-00-00");
    Scan();
    EXPECT_THAT(List2(), IsEmpty());
    arp.Replace("192.168.1.7", "00-11-22-33-44-55");
    Scan();
    EXPECT_THAT(List2(), ElementsAre("00-11-22-33-44-55 (192.168.  1.  7)"));
    arp.Replace("192.168.1.7", "00-00-00-00-00-00");
    Scan();
    arp.Replace("192.168.1.7", "00-11-22-33-44-55");
    Scan();
    // An entry without any hardware address is treated the same way.
    arp.table.push_back({Ip("192.168.1.8"), MacAddress{}});
    Scan();
    Scan();
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_EQ(engine.List2().Count(), 1u);
}

TEST_F(WatchEngineTest, ChangeSwitchIsReadAtTheMomentOfTheChange) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    WriteFile(settings.Path(), "[Watch]\r\nChange=0\r\n");  // a hand edit
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    EXPECT_THAT(List1(), IsEmpty());
    engine.SetChangeWatch(true);
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "1");
    Scan();
    EXPECT_THAT(List1(), IsEmpty()) << "the change seen while off is not reported later";
    engine.SetChangeWatch(false);
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "0");
    settings.WriteIni("Watch", "Change", "true");
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    EXPECT_THAT(List1(), IsEmpty()) << "only exactly 1 is on";
}

TEST_F(WatchEngineTest, RecordingOffStillAlarmsButWritesNothing) {
    engine.InitRecordLog(false);
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    arp.Put("192.168.1.2", "00-AA-BB-CC-DD-0E");
    Scan();
    engine.CheckDuplicates();
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    EXPECT_EQ(List1().size(), 4u);
    EXPECT_EQ(events.blinkStarts, 2);
    EXPECT_EQ(events.immediateRequests, 0);
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST_F(WatchEngineTest, HostNamesAreLookedUpOnlyForAlarms) {
    for (int i = 1; i <= 50; ++i) {
        arp.Put("192.168.1." + std::to_string(i), "00-00-00-00-01-" + HexByte2(std::to_string(i)));
    }
    resolver.names[Ip("192.168.1.1")] = "gateway-router-01";
    Scan();
    Scan();
    EXPECT_EQ(resolver.lookups, 0);
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    EXPECT_EQ(List1()[1],
              "  (192.168.  1.  1:gateway-router-01) 00-00-00-00-01-01 -> "
              "00-11-22-33-44-55");
    EXPECT_EQ(LogLines()[0].substr(20),
              "MACアドレスが変化しました\t(192.168.  1.  1:gateway-router-01) "
              "00-00-00-00-01-01 -> 00-11-22-33-44-55");
}

TEST_F(WatchEngineTest, DuplicatePairIsReportedOnceWhileItsLineStaysInList1) {
    arp.Put("192.168.1.1", "00-11-22-33-44-55");
    arp.Put("192.168.1.20", "00-11-22-33-44-55");
    Scan();
    engine.CheckDuplicates();
    const std::string pair =
        "  00-11-22-33-44-55 (192.168.  1.  1) と 00-11-22-33-44-55 (192.168.  1. 20)";
    EXPECT_THAT(List1(), ElementsAre(kStamp + "\t同一MACアドレスが重複しています", pair));
    EXPECT_THAT(LogLines(),
                ElementsAre(kStamp + "\t同一MACアドレスが重複しています\t" + pair.substr(2)));
    EXPECT_EQ(events.immediateRequests, 1);
    engine.CheckDuplicates();
    engine.CheckDuplicates();
    EXPECT_EQ(List1().size(), 2u);
    EXPECT_EQ(LogLines().size(), 1u);

    engine.Command1_Click();
    Scan();
    engine.CheckDuplicates();
    EXPECT_THAT(List1(), ElementsAre(kStamp + "\t同一MACアドレスが重複しています", pair))
        << "after a clear the pair is found afresh";
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(WatchEngineTest, ThreeHostsOnOneMacGiveOneAlarmPerNeighbouringPair) {
    arp.Put("192.168.1.3", "02-00-00-00-00-01");
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    arp.Put("192.168.1.2", "02-00-00-00-00-01");
    arp.Put("192.168.1.9", "02-00-00-00-00-02");
    Scan();
    engine.CheckDuplicates();
    EXPECT_EQ(List1().size(), 4u);
    EXPECT_EQ(List1()[3],
              "  02-00-00-00-00-01 (192.168.  1.  2) と 02-00-00-00-00-01 (192.168.  1.  3)");
}

TEST_F(WatchEngineTest, HostChangingToAnInUseMacIsAChangeNotADuplicate) {
    arp.Put("192.168.1.1", "02-00-00-00-00-01");
    arp.Put("192.168.1.2", "02-00-00-00-00-02");
    Scan();
    arp.Replace("192.168.1.2", "02-00-00-00-00-01");
    Scan();
    engine.CheckDuplicates();
    EXPECT_EQ(List1().size(), 2u);
    EXPECT_EQ(List1()[0].substr(20), "MACアドレスが変化しました");
}

TEST_F(WatchEngineTest, OwnMacSeenForAnotherHostAlarmsOnceUntilAClear) {
    const std::string message = kStamp + "\tこのPCのMACアドレスがブロードキャストされました";
    arp.Put("192.168.1.66", "00-AA-BB-CC-DD-01");
    Scan();
    engine.CheckDuplicates();
    engine.CheckDuplicates();
    EXPECT_THAT(List1(), ElementsAre(message, "  00-AA-BB-CC-DD-01 (192.168.  1. 66)"));
    EXPECT_THAT(LogLines(), ElementsAre(message + "\t00-AA-BB-CC-DD-01 (192.168.  1. 66)"));
    EXPECT_EQ(events.immediateRequests, 0) << "own-MAC alarms start no immediate report";
    EXPECT_EQ(events.blinkStarts, 1);

    // A second host claiming the MAC is a line of its own and alarms once too (after the
    // duplicate alarm that the two hosts sharing a MAC give).
    arp.Put("192.168.1.67", "00-AA-BB-CC-DD-01");
    Scan();
    engine.CheckDuplicates();
    engine.CheckDuplicates();
    const std::vector<std::string> both{
        kStamp + "\t同一MACアドレスが重複しています",
        "  00-AA-BB-CC-DD-01 (192.168.  1. 66) と 00-AA-BB-CC-DD-01 (192.168.  1. 67)", message,
        "  00-AA-BB-CC-DD-01 (192.168.  1. 67)"};
    std::vector<std::string> shown = List1();
    EXPECT_THAT(std::vector(shown.begin() + 2, shown.end()), ::testing::ElementsAreArray(both));
    EXPECT_EQ(LogLines().size(), 3u);

    engine.Command1_Click();
    Scan();
    engine.CheckDuplicates();
    engine.CheckDuplicates();
    EXPECT_THAT(List1(), ElementsAre(both[0], both[1], message,
                                     "  00-AA-BB-CC-DD-01 (192.168.  1. 66)", message, both[3]))
        << "after a clear each line alarms once again";
    EXPECT_EQ(LogLines().size(), 6u);
}

TEST_F(WatchEngineTest, ClearForgetsAlarmsAndHosts) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    clock.Advance(std::chrono::seconds(1));
    engine.Command1_Click();
    EXPECT_THAT(List1(), ElementsAre("2007/05/05 14:03:10\tアラームをクリアしました"));
    EXPECT_FALSE(engine.List1().IsRed());
    EXPECT_FALSE(engine.AlarmActive());
    EXPECT_THAT(List2(), IsEmpty());
    EXPECT_EQ(engine.HostCount(), 0u);
    EXPECT_EQ(events.blinkStops, 1);
    EXPECT_EQ(LogLines().size(), 1u) << "the clear line is never logged";

    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    EXPECT_EQ(List1().size(), 1u) << "no change alarm from MACs seen before the clear";
    EXPECT_THAT(List2(), ElementsAre("00-AA-BB-CC-DD-0E (192.168.  1.  1)"));
}

TEST_F(WatchEngineTest, TableFailingForAWhileMissesNothingAndRaisesNothingFalse) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    arp.Put("192.168.1.2", "00-AA-BB-CC-DD-02");
    arp.Put("192.168.1.3", "00-AA-BB-CC-DD-03");
    engine.StartScanning();
    timers.Advance(std::chrono::seconds(3));
    arp.failing = true;
    // Meanwhile a poisoning, a host that leaves and a new host with a listed host's MAC.
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    arp.table.erase(arp.table.begin() + 2);
    arp.Put("192.168.1.9", "00-AA-BB-CC-DD-02");
    int readsBefore = arp.reads;
    timers.Advance(std::chrono::seconds(30));
    EXPECT_GE(arp.reads - readsBefore, 25) << "the scan keeps trying";
    EXPECT_THAT(GridRows(engine), IsEmpty()) << "an unreadable table shows as empty";
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_EQ(List2().size(), 3u) << "no host is forgotten";

    arp.failing = false;
    timers.Advance(std::chrono::seconds(12));
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u) << Log();
    EXPECT_EQ(lines[0].substr(19),
              "\tMACアドレスが変化しました\t(192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> "
              "00-11-22-33-44-55");
    EXPECT_EQ(lines[1].substr(19),
              "\t同一MACアドレスが重複しています\t00-AA-BB-CC-DD-02 (192.168.  1.  2) と "
              "00-AA-BB-CC-DD-02 (192.168.  1.  9)");
}

TEST_F(WatchEngineTest, ManyHostsAreRecordedWithoutLimit) {
    WatchAdapter("10.0.0.1", "255.0.0.0");
    for (std::uint32_t i = 0; i < 40000; ++i) {
        arp.table.push_back({MakeIpv4(10, 0, 0, 0) + i + 1, Mac("02-00-00-00-00-01")});
    }
    Scan();
    EXPECT_EQ(engine.HostCount(), 40000u);
    EXPECT_EQ(engine.List2().Count(), 40000u);
    EXPECT_EQ(engine.List2().Line(0), "02-00-00-00-00-01 ( 10.  0.  0.  1)");
}

TEST_F(WatchEngineTest, HostsDifferingOnlyInTheFirstOctetAreTwoHosts) {
    WatchAdapter("0.0.0.0", "0.0.0.0");
    arp.Put("10.1.2.3", "02-00-00-00-00-01");
    arp.Put("172.1.2.3", "02-00-00-00-00-02");
    Scan();
    Scan();
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_EQ(engine.HostCount(), 2u);
}

TEST_F(WatchEngineTest, StartAndEndLines) {
    engine.WriteStartLine();
    engine.WriteEndLine();
    EXPECT_EQ(ReadFile(log.Path()), Utf8ToCp932(kStamp + "\tプログラムを開始しました\r\n" + kStamp +
                                                "\tプログラムを終了しました\r\n"));
    EXPECT_THAT(List1(), ElementsAre(kStamp + "\tプログラムを開始しました"));
    EXPECT_FALSE(engine.List1().IsRed());

    log.Clear();
    engine.InitRecordLog(false);
    engine.WriteStartLine();
    engine.WriteEndLine();
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
    EXPECT_EQ(List1().size(), 2u);
}

}  // namespace
}  // namespace kestrove::test
