#include "netinfo/linux/NetlinkNetworkStateSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "testsupport/ChildProcess.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/Ipv6Attacks.h"
#include "testsupport/NetNamespace.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

constexpr const char* kRouterLinkLocal = "fe80::ff:fe00:1";

// A LAN of a router advertising 2001:db8:77::/64 and a victim whose kernel takes the
// advertisements; the source is made in the victim's namespace, as the monitor would be.
class NetworkStateSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        lan = std::make_unique<test::TestLan>("nss");
        router = &lan->AddHost("r", "02:00:00:00:00:01", "10.77.0.1/24");
        victim = &lan->AddHost("v", "02:00:00:00:00:0a", "10.77.0.10/24");
        test::AcceptRouterAdverts(*victim, 2);
        router->Ip({"addr", "add", "2001:db8:77::1/64", "dev", "veth0", "nodad"});
        router->Exec("sysctl -qw net.ipv6.conf.all.forwarding=1");
        test::ScopedNetnsEnter inside(*victim);
        source = std::make_unique<NetlinkNetworkStateSource>();
        ASSERT_GE(source->Handle(), 0);
    }

    // Reads notifications until `found` holds for one of them or `timeout` passes.
    template <class T, class Pred>
    std::optional<T> Hear(Pred found, std::chrono::milliseconds timeout) {
        std::optional<T> hit;
        test::WaitFor(
            [&] {
                std::vector<NetworkChange> changes;
                source->Read(changes);
                for (const NetworkChange& c : changes) {
                    if (const T* item = std::get_if<T>(&c); item != nullptr && found(*item)) {
                        hit = *item;
                    }
                }
                return hit.has_value();
            },
            timeout);
        return hit;
    }

    std::unique_ptr<test::TestLan> lan;
    test::NetNamespace* router = nullptr;
    test::NetNamespace* victim = nullptr;
    std::unique_ptr<NetlinkNetworkStateSource> source;
};

TEST_F(NetworkStateSourceTest, AdvertisedRouterIsHeardWithItsRouteOptionsAndPrefixThenDumped) {
    test::RouterAdvertiser radvd(*router, "2001:db8:77::/64", "2001:db8:77::53",
                                 "AdvDefaultPreference high;");
    ASSERT_TRUE(radvd.Running());

    auto route = Hear<Route>([](const Route& r) { return r.IsDefault() && r.gateway.IsV6(); }, 10s);
    ASSERT_TRUE(route);
    EXPECT_EQ(FormatIp(route->gateway), kRouterLinkLocal);
    EXPECT_EQ(route->origin, RouteOrigin::RouterAdvertisement);
    EXPECT_EQ(route->preference, RouterPreference::High);
    EXPECT_GT(route->interfaceIndex, 0);

    auto options = Hear<RouterOptions>([](const RouterOptions&) { return true; }, 10s);
    ASSERT_TRUE(options);
    EXPECT_EQ(FormatIp(options->router), kRouterLinkLocal);
    ASSERT_EQ(options->dnsServers.size(), 1u);
    EXPECT_EQ(FormatIp(options->dnsServers[0]), "2001:db8:77::53");

    auto prefix = Hear<AdvertisedPrefix>([](const AdvertisedPrefix&) { return true; }, 10s);
    ASSERT_TRUE(prefix);
    EXPECT_EQ(FormatIp(prefix->prefix), "2001:db8:77::");
    EXPECT_EQ(prefix->prefixLength, 64);

    NetworkSnapshot snapshot;
    ASSERT_TRUE(source->Dump(snapshot));
    auto routerEntry = std::find_if(snapshot.neighbours.begin(), snapshot.neighbours.end(),
                                    [](const Neighbour6& n) { return n.router; });
    ASSERT_NE(routerEntry, snapshot.neighbours.end());
    EXPECT_EQ(FormatIp(routerEntry->address), kRouterLinkLocal);
    EXPECT_EQ(FormatMac(routerEntry->mac), "02-00-00-00-00-01");
    EXPECT_NE(std::find(snapshot.routes.begin(), snapshot.routes.end(), *route),
              snapshot.routes.end());
    // The IPv4 default route is there too; the victim's prefix route of the kernel is not.
    EXPECT_EQ(std::count_if(snapshot.routes.begin(), snapshot.routes.end(),
                            [](const Route& r) { return r.IsDefault(); }),
              1);
    EXPECT_TRUE(std::any_of(snapshot.addresses.begin(), snapshot.addresses.end(),
                            [](const OwnAddress& a) { return a.address.IsLinkLocal(); }));
}

TEST_F(NetworkStateSourceTest, ForgedAdvertisementForTheRouterIsHeardWithTheAttackersMac) {
    victim->Ip({"addr", "add", "2001:db8:77::10/64", "dev", "veth0", "nodad"});
    ASSERT_EQ(victim->Exec("ping -6 -c1 -W2 2001:db8:77::1 >/dev/null"), 0);
    auto& attacker = lan->AddHost("a", "02:00:00:00:00:66", "10.77.0.66/24");

    test::SendNeighbourAdvert(attacker, "2001:db8:77::1", "02:00:00:00:00:66");
    auto forged = Hear<Neighbour6>(
        [](const Neighbour6& n) {
            return FormatIp(n.address) == "2001:db8:77::1" &&
                   FormatMac(n.mac) == "02-00-00-00-00-66";
        },
        3s);
    ASSERT_TRUE(forged);
    EXPECT_FALSE(forged->removed);
    EXPECT_FALSE(forged->router);
}

TEST_F(NetworkStateSourceTest, DefaultRoutesOfIpv4AreHeardAddedChangedAndRemoved) {
    victim->Ip({"route", "add", "default", "via", "10.77.0.1"});
    auto added = Hear<Route>([](const Route& r) { return r.IsDefault() && r.gateway.IsV4(); }, 2s);
    ASSERT_TRUE(added);
    EXPECT_EQ(FormatIp(added->gateway), "10.77.0.1");
    EXPECT_EQ(added->origin, RouteOrigin::Boot);

    victim->Ip({"route", "add", "default", "via", "10.77.0.66", "metric", "5"});
    auto second =
        Hear<Route>([](const Route& r) { return FormatIp(r.gateway) == "10.77.0.66"; }, 2s);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->metric, 5u);

    victim->Ip({"route", "del", "default", "via", "10.77.0.1"});
    auto removed = Hear<Route>([](const Route& r) { return r.removed; }, 2s);
    ASSERT_TRUE(removed);
    EXPECT_EQ(FormatIp(removed->gateway), "10.77.0.1");
}

TEST_F(NetworkStateSourceTest, AddressWhoseDuplicateDetectionFailsIsHeardAsFailed) {
    // The router holds 2001:db8:77::1 already and answers the victim's detection for it.
    victim->Exec("sysctl -qw net.ipv6.conf.veth0.accept_dad=1 net.ipv6.conf.veth0.dad_transmits=1");
    victim->Ip({"addr", "add", "2001:db8:77::1/64", "dev", "veth0"});
    auto failed = Hear<OwnAddress>(
        [](const OwnAddress& a) { return a.dadFailed && FormatIp(a.address) == "2001:db8:77::1"; },
        5s);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->prefixLength, 64);
}

}  // namespace
}  // namespace kestrove
