// The built monitor, run as an ordinary user without any capability, in a namespace LAN of the
// test's own with a router that advertises IPv6: what an attacker on the LAN does without ARP.
#include <csignal>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/Ipv6Attacks.h"
#include "testsupport/MonitorProcess.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kStart = "プログラムを開始しました";

std::size_t Count(const std::string& text, std::string_view part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class NetworkAlarmsEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        lan = std::make_unique<RouterLan>("net-e2e");
        ASSERT_TRUE(lan->WaitForRouter()) << "the router's advertisement did not arrive";
    }

    // Starts the monitor and waits for its start line and a few scans.
    void StartMonitor() {
        monitor = folder.StartUnprivileged(lan->Victim());
        ASSERT_TRUE(monitor->Started());
        std::size_t starts = Count(folder.LogText(), kStart);
        ASSERT_TRUE(WaitFor([&] { return Count(folder.LogText(), kStart) > starts; }, 10s))
            << "the monitor did not start";
        std::this_thread::sleep_for(1500ms);
    }
    void StopMonitor() {
        monitor->Signal(SIGTERM);
        EXPECT_EQ(monitor->Wait(10s), std::optional<int>(0));
    }
    bool Logged(std::string_view line, std::chrono::milliseconds within = 5s) {
        return WaitFor([&] { return folder.LogText().find(line) != std::string::npos; }, within);
    }

    MonitorFolder folder;
    std::unique_ptr<RouterLan> lan;
    std::unique_ptr<ChildProcess> monitor;
};

TEST_F(NetworkAlarmsEndToEndTest,
       ForgedAdvertisementsForTheRouterRaiseTheIpv6ChangeEvenUndoneAt50ms) {
    StartMonitor();
    NetNamespace& attacker = lan->Attacker();
    // Both of the router's addresses taken over, and given back by the router 50 ms later.
    SendNeighbourAdvert(attacker, "fe80::ff:fe00:1", "02:00:00:00:00:66");
    SendNeighbourAdvert(attacker, "2001:db8:77::1", "02:00:00:00:00:66");
    std::this_thread::sleep_for(50ms);
    SendNeighbourAdvert(lan->Router(), "fe80::ff:fe00:1", "02:00:00:00:00:01", true);
    SendNeighbourAdvert(lan->Router(), "2001:db8:77::1", "02:00:00:00:00:01", true);
    const std::string message = "\tIPv6アドレスのMACアドレスが変わりました\t";
    for (const char* address : {"fe80::ff:fe00:1", "2001:db8:77::1"}) {
        std::string there = message + "(" + address + ":) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
        std::string back = message + "(" + address + ":) 02-00-00-00-00-66 -> 02-00-00-00-00-01";
        EXPECT_TRUE(Logged(there)) << folder.LogText();
        EXPECT_TRUE(Logged(back)) << folder.LogText();
    }
    // A router's changed MAC is followed by a look at who the first hop is.
    EXPECT_TRUE(Logged(
        "\t最初の中継点を確かめました\tfe80::ff:fe00:1 (02-00-00-00-00-66)への最初の中継点："))
        << folder.LogText();
    StopMonitor();
    EXPECT_EQ(Count(folder.LogText(), "MACアドレスが変化"), 0u) << "no IPv4 text for IPv6";
}

TEST_F(NetworkAlarmsEndToEndTest,
       ARogueRouterIsToldWhetherTheKernelOrAManagerTakesItsAdvertisement) {
    StartMonitor();
    // The real router's advertisements go on (every 3 to 4 s) and raise nothing.
    RouterAdvertiser rogue(lan->Attacker(), "2001:db8:66::/64", "2001:db8:66::53",
                           "AdvDefaultPreference high;");
    const std::string router =
        "\t新しいルーターが現れました\tfe80::ff:fe00:66 02-00-00-00-00-66 優先度：高";
    ASSERT_TRUE(Logged(router, 10s)) << folder.LogText();
    EXPECT_TRUE(Logged(router + " プレフィックス：2001:db8:66::/64 DNS：2001:db8:66::53", 1s))
        << folder.LogText();
    std::this_thread::sleep_for(5s);
    StopMonitor();
    EXPECT_EQ(Count(folder.LogText(), "新しいルーターが現れました"), 1u) << folder.LogText();

    // Where a network manager takes the advertisements (accept_ra 0), the route it installs
    // with "proto ra" tells the same.
    AcceptRouterAdverts(lan->Victim(), 0);
    lan->Victim().Exec("ip -6 route flush proto ra");
    StartMonitor();
    lan->Victim().Ip({"-6", "route", "add", "default", "via", "fe80::ff:fe00:77", "dev", "veth0",
                      "proto", "ra", "metric", "1024", "pref", "high"});
    EXPECT_TRUE(Logged("\t新しいルーターが現れました\tfe80::ff:fe00:77 ", 5s)) << folder.LogText();
    StopMonitor();
}

TEST_F(NetworkAlarmsEndToEndTest, ASecondDefaultRouteAndANewNextHopAreToldARestartAloneIsNot) {
    StartMonitor();
    StopMonitor();
    StartMonitor();
    NetNamespace& victim = lan->Victim();
    victim.Ip({"route", "add", "default", "via", "10.200.0.66", "metric", "5"});
    EXPECT_TRUE(
        Logged("\tデフォルトゲートウェイが変わりました\tIPv4 10.200.0.1 -> "
               "10.200.0.1,10.200.0.66 デフォルトルートが追加されました"))
        << folder.LogText();
    victim.Ip({"route", "del", "default", "via", "10.200.0.66", "metric", "5"});
    std::this_thread::sleep_for(3500ms);  // back to the known gateway: nothing to tell
    victim.Ip({"route", "replace", "default", "via", "10.200.0.66"});
    EXPECT_TRUE(
        Logged("\tデフォルトゲートウェイが変わりました\tIPv4 10.200.0.1 -> 10.200.0.66 "
               "別のゲートウェイに替わりました"))
        << folder.LogText();
    StopMonitor();
    std::string log = folder.LogText();
    EXPECT_EQ(Count(log, "デフォルトゲートウェイが変わりました"), 2u) << log;
}

TEST_F(NetworkAlarmsEndToEndTest, DuplicateAddressDetectionAnsweredByAnotherHostIsTold) {
    StartMonitor();
    lan->Attacker().Ip({"addr", "add", "2001:db8:77::10/64", "dev", "veth0", "nodad"});
    lan->Victim().Ip({"addr", "add", "2001:db8:77::10/64", "dev", "veth0"});
    EXPECT_TRUE(Logged("\tこのPCのIPv6アドレスがほかの機器に使われています\t2001:db8:77::10"))
        << folder.LogText();
    StopMonitor();
}

TEST_F(NetworkAlarmsEndToEndTest, TheFirstHopNamesAnAttackerThatForwardsAndTellsOfOneThatSwallows) {
    NetNamespace& attacker = lan->Attacker();
    attacker.Exec("sysctl -qw net.ipv4.ip_forward=1");
    attacker.Ip({"route", "add", "default", "via", "10.200.0.1"});
    StartMonitor();
    const std::string change =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    ASSERT_TRUE(WaitFor(
        [&] {
            lan->PoisonGateway();
            return folder.LogText().find(change) != std::string::npos;
        },
        8s))
        << folder.LogText();
    const std::string hop =
        "\t最初の中継点を確かめました\t10.200.0.1 (02-00-00-00-00-66)への最初の中継点：";
    EXPECT_TRUE(Logged(hop + "10.200.0.66 が応答しました")) << folder.LogText();
    std::string log = folder.LogText();
    EXPECT_LT(log.find(change), log.find(hop)) << "the evidence follows its alarm";
    StopMonitor();

    // The same attacker, not forwarding: the traffic ends with it.
    attacker.Exec("sysctl -qw net.ipv4.ip_forward=0");
    SendArp(lan->Router(), "veth0", 1, "02:00:00:00:00:01", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
    StartMonitor();
    std::this_thread::sleep_for(1500ms);  // a second since the last probe, and a scan or two
    ASSERT_TRUE(WaitFor(
        [&] {
            lan->PoisonGateway();
            return Count(folder.LogText(), change) >= 2;
        },
        8s))
        << folder.LogText();
    EXPECT_TRUE(Logged(hop + "応答がありません")) << folder.LogText();
    StopMonitor();
}

TEST_F(NetworkAlarmsEndToEndTest, ARouterFailoverThatKeepsItsVrrpMacAccusesNobody) {
    // Two routers share the gateway address and the VRRP MAC; the first one serves.
    NetNamespace& router = lan->Router();
    router.Ip({"route", "del", "192.0.2.0/24"});
    router.Ip({"link", "set", "veth0", "down"});
    NetNamespace& first = lan->AddHost("vrrp1", "00:00:5e:00:01:01", "10.200.0.1/24");
    lan->Victim().Exec("ip neigh flush dev veth0");
    ASSERT_EQ(lan->Victim().Exec("ping -c1 -W2 10.200.0.1 >/dev/null"), 0);
    StartMonitor();
    first.Ip({"link", "set", "veth0", "down"});
    NetNamespace& second = lan->AddHost("vrrp2", "00:00:5e:00:01:01", "10.200.0.1/24");
    SendArp(second, "veth0", 1, "00:00:5e:00:01:01", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
    ASSERT_EQ(lan->Victim().Exec("ping -c1 -W2 10.200.0.1 >/dev/null"), 0) << "the second serves";
    std::this_thread::sleep_for(2s);
    StopMonitor();
    std::string log = folder.LogText();
    EXPECT_EQ(Count(log, "MACアドレスが変化"), 0u) << log;
    EXPECT_EQ(Count(log, "最初の中継点"), 0u) << log;
}

TEST_F(NetworkAlarmsEndToEndTest, TheMemoryDoesNotLearnAPoisonedGatewayNorFoundANetworkOnOne) {
    // A first run learns the network: the gateway alone in the table, as after a fresh boot.
    StartMonitor();
    StopMonitor();
    // The real gateway goes quiet so nothing undoes the poison before the monitor is back.
    lan->Router().Ip({"link", "set", "veth0", "down"});
    auto poisoned = [&] {
        // The attacker keeps its forgery fresh, as a real one does.
        return WaitFor(
            [&] {
                lan->PoisonGateway();
                std::string entry = lan->Victim().ExecOutput("ip neigh show 10.200.0.1");
                return entry.find("lladdr 02:00:00:00:00:66") != std::string::npos &&
                       entry.find("FAILED") == std::string::npos;
            },
            3s);
    };
    ASSERT_TRUE(poisoned());
    const std::string mismatch =
        "\tゲートウェイのMACアドレスが記憶と違います\t(10.200.0.1:) "
        "02-00-00-00-00-01 -> 02-00-00-00-00-66";
    StartMonitor();
    EXPECT_TRUE(Logged(mismatch)) << folder.LogText();
    // Long enough for two saves of the memory: the attacker's MAC must not be kept. It keeps
    // its forgery fresh meanwhile, as a real one does.
    for (int second = 0; second < 21; ++second) {
        lan->PoisonGateway();
        std::this_thread::sleep_for(1s);
    }
    StopMonitor();
    EXPECT_THAT(ReadFile(folder.Path() / "hosts.dat"),
                ::testing::Not(::testing::HasSubstr("02-00-00-00-00-66")));
    ASSERT_TRUE(poisoned());
    StartMonitor();
    EXPECT_TRUE(WaitFor([&] { return Count(folder.LogText(), mismatch) == 2; }, 5s))
        << "the alarm comes again at the next start: " << folder.LogText();
    StopMonitor();
}

}  // namespace
}  // namespace kestrove::test
