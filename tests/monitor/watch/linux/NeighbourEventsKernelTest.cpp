// The watch engine hearing the kernel's neighbour notifications in test namespaces: what
// changes between two scans is still caught, at once, and without notifications polling alone
// still catches it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "NamespaceWatch.h"
#include "testsupport/RunCommand.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

const std::string kChange = kStamp + "\tMACアドレスが変化しました";

void Permanent(const NetNamespace& ns, const std::string& ip, const std::string& mac) {
    ns.Ip({"neigh", "replace", ip, "lladdr", mac, "dev", "veth0", "nud", "permanent"});
}

TEST(NeighbourEventsKernel, PoisoningUndoneByTheGateway50msLaterGivesBothChangeAlarmsInOrder) {
    KESTROVE_REQUIRE_ROOT();
    TestLan lan("nev");
    NetNamespace& gateway = lan.AddHost("gw", "02:00:00:00:00:01", "10.200.0.1/24");
    NetNamespace& victim = lan.AddHost("victim", "02:00:00:00:00:10", "10.200.0.10/24");
    NetNamespace& attacker = lan.AddHost("attacker", "02:00:00:00:00:66", "10.200.0.66/24");
    NamespaceWatch watch(victim, NamespaceWatch::Events::Open);
    ASSERT_TRUE(watch.notifications->IsOpen());
    watch.resolver.names[Ip("10.200.0.1")] = "gateway";
    ASSERT_EQ(victim.Exec("ping -c1 -W2 10.200.0.1 >/dev/null || ping -c1 -W2 10.200.0.1"), 0);
    watch.engine->ScanArpTable();
    watch.Drain();
    ASSERT_EQ(watch.engine->HostCount(), 1u);

    // No scan runs from here on: only the notifications can tell.

    SendArp(attacker, "veth0", 1, "02:00:00:00:00:66", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
    std::this_thread::sleep_for(50ms);
    SendArp(gateway, "veth0", 1, "02:00:00:00:00:01", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
    EXPECT_TRUE(watch.HearUntil([&] { return watch.List1().size() >= 4; }, 5s));

    const std::string there = "( 10.200.  0.  1:gateway) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    const std::string back = "( 10.200.  0.  1:gateway) 02-00-00-00-00-66 -> 02-00-00-00-00-01";
    EXPECT_THAT(watch.List1(), ElementsAre(kChange, "  " + there, kChange, "  " + back));
    EXPECT_THAT(watch.LogLines(), ElementsAre(kChange + "\t" + there, kChange + "\t" + back));
    EXPECT_EQ(watch.events.immediateRequests, 2);
}

TEST(NeighbourEventsKernel, ChangeLateInALargeTableIsLoggedLongBeforeTheNextPoll) {
    KESTROVE_REQUIRE_ROOT();
    constexpr int kEntries = 16384;
    NetNamespace ns("nevbig");
    ns.Ip({"link", "add", "veth0", "address", "02:00:00:00:ff:fe", "type", "veth", "peer", "name",
           "veth1"});
    ns.Ip({"link", "set", "veth0", "up"});
    ns.Ip({"addr", "add", "10.64.255.254/16", "dev", "veth0"});
    TempFolder dir;
    {
        std::ofstream batch(dir / "neigh.batch");
        for (int i = 0; i < kEntries; ++i) {
            batch << "neigh replace 10.64." << (i >> 8) << '.' << (i & 0xFF)
                  << " lladdr 02:00:00:00:" << std::hex << (i >> 8) << ':' << (i & 0xFF) << std::dec
                  << " dev veth0 nud permanent\n";
        }
    }
    ASSERT_EQ(RunCommand({"ip", "-n", ns.Name(), "-batch", (dir / "neigh.batch").string()}), 0);

    NamespaceWatch watch(ns, NamespaceWatch::Events::Open);
    ASSERT_TRUE(watch.notifications->IsOpen());
    watch.engine->SetScanInterval("30");
    watch.engine->StartScanning();
    watch.timers.Advance(30s);  // the first poll records every host
    ASSERT_EQ(watch.engine->HostCount(), static_cast<std::size_t>(kEntries));
    watch.Drain();

    // The last entry of the kernel's dump is the last one a scan would come to.
    std::vector<ArpEntry> dump;
    {
        ScopedNetnsEnter inside(ns);
        ASSERT_TRUE(NetlinkArpTableSource().Read(dump));
    }
    ASSERT_GE(dump.size(), static_cast<std::size_t>(kEntries));
    const ArpEntry& last = dump.back();
    const std::string ip = FormatDotted(last.address);
    Permanent(ns, ip, "02:00:00:00:aa:bb");

    const std::string expected = "(" + FormatAddressText(last.address) + ":) " +
                                 FormatMac(last.mac) + " -> 02-00-00-00-AA-BB";
    EXPECT_TRUE(watch.HearUntil([&] { return !watch.LogLines().empty(); }, 5s));
    // Stamped at the first poll's moment: the fake clock stands still until the next one.
    EXPECT_THAT(watch.LogLines(),
                ElementsAre("2007/05/05 14:03:39\tMACアドレスが変化しました\t" + expected));
    EXPECT_TRUE(watch.engine->Timer1().IsActive()) << "the next poll is still 30 s away";
}

TEST(NeighbourEventsKernel, WithoutTheNotificationSocketPollingAloneStillDetects) {
    KESTROVE_REQUIRE_ROOT();
    TestLan lan("nevoff");
    NetNamespace& victim = lan.AddHost("victim", "02:00:00:00:00:10", "10.200.0.10/24");
    NamespaceWatch watch(victim, NamespaceWatch::Events::Unavailable);
    ASSERT_FALSE(watch.notifications->IsOpen());
    EXPECT_LT(watch.notifications->Handle(), 0);
    EXPECT_FALSE(watch.engine->HearNeighbours(*watch.notifications));

    Permanent(victim, "10.200.0.77", "02:00:00:00:00:0a");
    watch.engine->StartScanning();
    watch.timers.Advance(1s);
    Permanent(victim, "10.200.0.77", "02:00:00:00:00:0b");
    watch.timers.Advance(2s);
    EXPECT_THAT(watch.LogLines(),
                ElementsAre("2007/05/05 14:03:11\tMACアドレスが変化しました\t( 10.200.  0. 77:) "
                            "02-00-00-00-00-0A -> 02-00-00-00-00-0B"))
        << "found by the second poll";
}

}  // namespace
}  // namespace kestrove::test
