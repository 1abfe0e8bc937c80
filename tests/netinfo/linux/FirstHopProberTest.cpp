#include "netinfo/linux/UdpFirstHopProber.h"

#include <gtest/gtest.h>

#include <memory>

#include "testsupport/Ipv6Attacks.h"
#include "testsupport/NetNamespace.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

// A gateway that forwards towards the documentation networks (routed into a veth pair), a
// victim whose default route goes through it, and an attacker on the same LAN.
class FirstHopProberTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        lan = std::make_unique<test::TestLan>("hop");
        gateway = &lan->AddHost("gw", "02:00:00:00:00:01", "10.77.0.1/24");
        victim = &lan->AddHost("v", "02:00:00:00:00:0a", "10.77.0.10/24");
        attacker = &lan->AddHost("a", "02:00:00:00:00:66", "10.77.0.66/24");
        gateway->Exec("sysctl -qw net.ipv4.ip_forward=1 net.ipv6.conf.all.forwarding=1");
        // The far side is a veth pair of the gateway's own: the probe dies before it leaves.
        gateway->Ip({"link", "add", "wan0", "type", "veth", "peer", "name", "wan1"});
        gateway->Ip({"link", "set", "wan0", "up"});
        gateway->Ip({"link", "set", "wan1", "up"});
        gateway->Ip({"route", "add", "192.0.2.0/24", "dev", "wan0"});
        victim->Ip({"route", "add", "default", "via", "10.77.0.1"});
    }

    FirstHopAnswer ProbeFromVictim(IpAddress::Family family) {
        test::ScopedNetnsEnter inside(*victim);
        return UdpFirstHopProber().Probe(FirstHopTarget(family), 1000ms);
    }

    // What ARP poisoning leaves in the victim's table, without the race of a real one.
    void PoisonGatewayEntry() {
        victim->Ip({"neigh", "replace", "10.77.0.1", "lladdr", "02:00:00:00:00:66", "dev", "veth0",
                    "nud", "permanent"});
    }

    std::unique_ptr<test::TestLan> lan;
    test::NetNamespace* gateway = nullptr;
    test::NetNamespace* victim = nullptr;
    test::NetNamespace* attacker = nullptr;
};

TEST_F(FirstHopProberTest, TheGatewayAnswersWhileNobodySitsBetween) {
    FirstHopAnswer answer = ProbeFromVictim(IpAddress::Family::V4);
    ASSERT_EQ(answer.kind, FirstHopAnswer::Kind::Answered);
    EXPECT_EQ(FormatIp(answer.from), "10.77.0.1");
}

TEST_F(FirstHopProberTest, AnAttackerThatForwardsAnswersWithItsOwnAddress) {
    attacker->Exec("sysctl -qw net.ipv4.ip_forward=1");
    attacker->Ip({"route", "add", "default", "via", "10.77.0.1"});
    PoisonGatewayEntry();
    FirstHopAnswer answer = ProbeFromVictim(IpAddress::Family::V4);
    ASSERT_EQ(answer.kind, FirstHopAnswer::Kind::Answered);
    EXPECT_EQ(FormatIp(answer.from), "10.77.0.66");
}

TEST_F(FirstHopProberTest, AnAttackerThatSwallowsTheTrafficLeavesNoAnswer) {
    attacker->Exec("sysctl -qw net.ipv4.ip_forward=0");
    PoisonGatewayEntry();
    auto started = std::chrono::steady_clock::now();
    FirstHopAnswer answer = ProbeFromVictim(IpAddress::Family::V4);
    EXPECT_EQ(answer.kind, FirstHopAnswer::Kind::Silent);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);
}

TEST_F(FirstHopProberTest, WithoutARouteNothingIsSent) {
    victim->Ip({"route", "del", "default"});
    EXPECT_EQ(ProbeFromVictim(IpAddress::Family::V4).kind, FirstHopAnswer::Kind::Failed);
}

TEST_F(FirstHopProberTest, TheIpv6RouterAnswersFromItsAddressOnTheLan) {
    gateway->Ip({"addr", "add", "2001:db8:77::1/64", "dev", "veth0", "nodad"});
    gateway->Ip({"route", "add", "2001:db8::/48", "dev", "wan0"});
    victim->Ip({"addr", "add", "2001:db8:77::10/64", "dev", "veth0", "nodad"});
    victim->Ip({"-6", "route", "add", "default", "via", "fe80::ff:fe00:1", "dev", "veth0"});
    ASSERT_TRUE(test::WaitForIpv6Addresses(*gateway));
    ASSERT_TRUE(test::WaitForIpv6Addresses(*victim));
    FirstHopAnswer answer = ProbeFromVictim(IpAddress::Family::V6);
    ASSERT_EQ(answer.kind, FirstHopAnswer::Kind::Answered);
    EXPECT_EQ(FormatIp(answer.from), "2001:db8:77::1");
}

}  // namespace
}  // namespace kestrove
