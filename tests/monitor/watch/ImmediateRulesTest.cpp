// The duplicate and own-MAC rules run for every host the moment it is listed, with what the
// 10 s check would find, and the check finds nothing more.
#include <algorithm>
#include <random>
#include <set>

#include "WatchFixture.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;

const std::string kDuplicate = kStamp + "\t同一MACアドレスが重複しています";
const std::string kOwn = kStamp + "\tこのPCのMACアドレスがブロードキャストされました";

class ImmediateRulesTest : public WatchFixture {
protected:
    bool Hear() { return engine.HearNeighbours(source); }
    // The detail lines of the duplicate alarms in `List1`.
    std::set<std::string> ReportedPairs() const {
        std::set<std::string> pairs;
        for (const std::string& line : List1()) {
            if (line.find(" と ") != std::string::npos) {
                pairs.insert(line.substr(2));
            }
        }
        return pairs;
    }

    FakeNeighbourEvents source;
};

TEST_F(ImmediateRulesTest, HostHeardWithAListedMacIsReportedAtOnceAndOnceUntilAClear) {
    arp.Put("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    source.Announce("192.168.1.20", "00-11-22-33-44-55");
    Hear();
    const std::string pair =
        "00-11-22-33-44-55 (192.168.  1.  1) と 00-11-22-33-44-55 (192.168.  1. 20)";
    EXPECT_THAT(List1(), ElementsAre(kDuplicate, "  " + pair));
    EXPECT_THAT(LogLines(), ElementsAre(kDuplicate + "\t" + pair));
    EXPECT_EQ(events.immediateRequests, 1);

    source.Announce("192.168.1.20", "00-11-22-33-44-55");
    Hear();
    engine.CheckDuplicates();
    EXPECT_EQ(List1().size(), 2u) << "neither the same host again nor the check repeats it";

    arp.Put("192.168.1.20", "00-11-22-33-44-55");
    engine.Command1_Click();
    Scan();
    EXPECT_THAT(List1(), ElementsAre(kDuplicate, "  " + pair)) << "found afresh after a clear";
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(ImmediateRulesTest, OwnMacOfEveryAdapterIsReportedAtOnceInAdapterOrder) {
    adapterSource.list.clear();
    adapterSource.Add("eth0", "00-AA-BB-CC-DD-01", "192.168.1.5", "255.255.255.0");
    adapterSource.Add("eth1", "00-AA-BB-CC-DD-02", "10.0.0.5", "255.0.0.0");
    adapterSource.Add("wlan0", "00-AA-BB-CC-DD-03", "172.16.0.5", "255.255.0.0");
    adapters.GetOwnAdapters(&settings);
    ASSERT_EQ(adapters.AdapterMax, 2);
    source.Announce("192.168.1.63", "00-AA-BB-CC-DD-03");
    source.Announce("192.168.1.61", "00-AA-BB-CC-DD-01");
    source.Announce("192.168.1.62", "00-AA-BB-CC-DD-02");
    Hear();
    EXPECT_THAT(List1(), ElementsAre(kOwn, "  00-AA-BB-CC-DD-01 (192.168.  1. 61)", kOwn,
                                     "  00-AA-BB-CC-DD-02 (192.168.  1. 62)", kOwn,
                                     "  00-AA-BB-CC-DD-03 (192.168.  1. 63)"));
    EXPECT_EQ(LogLines().size(), 3u);
    EXPECT_EQ(events.immediateRequests, 0);
}

// The first scan, checked as it lists, gives the lines a check over the whole list gives, in
// the same order: the pairs in `List2` order, then the own-MAC lines.
TEST_F(ImmediateRulesTest, FirstScanGivesWhatACheckOfTheWholeListGivesInItsOrder) {
    const std::vector<std::pair<const char*, const char*>> table{
        {"192.168.1.9", "02-00-00-00-00-07"},  {"192.168.1.67", "00-AA-BB-CC-DD-01"},
        {"192.168.1.3", "02-00-00-00-00-07"},  {"192.168.1.66", "00-AA-BB-CC-DD-01"},
        {"192.168.1.4", "00-00-00-00-00-09"},  {"192.168.1.1", "02-00-00-00-00-07"},
        {"192.168.1.200", "00-00-00-00-00-09"}};
    for (const auto& [ip, mac] : table) {
        arp.Put(ip, mac);
    }
    settings.WriteIni("Watch", "Duplicate", "0");
    WatchEngine checkOnly{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, events}};
    checkOnly.ScanArpTable();
    settings.WriteIni("Watch", "Duplicate", "1");
    checkOnly.CheckDuplicates();
    ASSERT_EQ(checkOnly.List1().Count(), 12u);

    Scan();
    EXPECT_EQ(List1(), checkOnly.List1().Lines());
}

// Hosts listed in batches of any size and order: the pairs reported are those that stood next
// to each other in the sorted list at the end of some batch, as a check after every batch
// would have found them, and none else.
TEST_F(ImmediateRulesTest, BatchesReportThePairsOfTheSortedNeighbourRule) {
    WatchAdapter("10.0.0.1", "255.255.0.0");
    std::mt19937 random(23);
    std::vector<ListedHost> listed;
    std::set<std::string> expected;
    std::set<Ipv4> used;
    for (int batch = 0; batch < 60; ++batch) {
        int size = random() % 5 == 0 ? 40 : 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < size; ++i) {
            Ipv4 address = MakeIpv4(10, 0, static_cast<std::uint8_t>(random() % 4),
                                    static_cast<std::uint8_t>(random() % 256));
            if (!used.insert(address).second) {
                continue;
            }
            const std::uint8_t bytes[6] = {2, 0, 0, 0, 0, static_cast<std::uint8_t>(random() % 12)};
            MacAddress mac = MacAddress::FromBytes(bytes, 6);
            source.pending.push_back({address, mac});
            listed.push_back({mac, address});
        }
        Hear();
        std::sort(listed.begin(), listed.end(), ListedBefore);
        for (std::size_t k = 0; k + 1 < listed.size(); ++k) {
            if (listed[k].mac == listed[k + 1].mac) {
                expected.insert(FormatListed(listed[k]) + " と " + FormatListed(listed[k + 1]));
            }
        }
        ASSERT_EQ(ReportedPairs(), expected) << "after batch " << batch;
    }
    EXPECT_GT(expected.size(), 100u);
    engine.CheckDuplicates();
    EXPECT_EQ(ReportedPairs(), expected) << "the check finds nothing more";
}

}  // namespace
}  // namespace kestrove::test
