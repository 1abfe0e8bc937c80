#include "monitor/watch/NetworkWatch.h"

#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using test::Mac;

constexpr int kLink = 2;
constexpr int kOtherLink = 3;

IpAddress A(const char* text) {
    IpAddress a;
    EXPECT_TRUE(ParseIp(text, a)) << text;
    return a;
}

Neighbour6 Neighbour(const char* address, const char* mac, bool router = false) {
    return Neighbour6{A(address), Mac(mac), kLink, 0x02, router, false};
}

Route RaDefault(const char* router, RouterPreference preference = RouterPreference::Medium) {
    Route r;
    r.destination.family = IpAddress::Family::V6;
    r.gateway = A(router);
    r.interfaceIndex = kLink;
    r.metric = 1024;
    r.origin = RouteOrigin::RouterAdvertisement;
    r.preference = preference;
    return r;
}

Route Default(const char* gateway, int link = kLink, std::uint32_t metric = 0) {
    Route r;
    r.gateway = A(gateway);
    r.destination.family = r.gateway.family;
    r.interfaceIndex = link;
    r.metric = metric;
    r.origin = RouteOrigin::Boot;
    return r;
}

Route Removed(Route r) {
    r.removed = true;
    return r;
}

// A link with a router at fe80::1 (MAC ...:01) that advertises itself, and an IPv4 gateway.
NetworkSnapshot Lan() {
    NetworkSnapshot s;
    s.neighbours = {Neighbour("fe80::1", "02-00-00-00-00-01", true),
                    Neighbour("2001:db8::20", "02-00-00-00-00-20")};
    s.routes = {RaDefault("fe80::1"), Default("10.0.0.1")};
    s.addresses = {OwnAddress{A("fe80::a"), 64, kLink, false, false, false}};
    return s;
}

class NetworkWatchTest : public ::testing::Test {
protected:
    NetworkWatchTest() { watch.SetLink(kLink, {Mac("02-00-00-00-00-0A")}); }

    template <class T>
    std::vector<T> Found() const {
        std::vector<T> out;
        for (const NetworkFinding& f : findings) {
            if (const T* t = std::get_if<T>(&f)) {
                out.push_back(*t);
            }
        }
        return out;
    }

    test::FakeClock clock;
    test::FakeTimerFactory timers{clock};
    std::vector<NetworkFinding> findings;
    std::set<IpAddress> answering{A("10.0.0.1")};
    NetworkWatch watch{clock, timers, [this](const NetworkFinding& f) { findings.push_back(f); },
                       [this](const IpAddress& a) { return answering.contains(a); }};
};

TEST_F(NetworkWatchTest, FirstSightLearnsSilentlyAndAForgedRouterMacStaysOutOfTheMemory) {
    watch.Start(Lan(), std::nullopt);
    timers.Advance(1s);
    EXPECT_TRUE(findings.empty());
    EXPECT_EQ(watch.Known().routers.size(), 1u);
    EXPECT_EQ(watch.Known().gateways, (std::set<IpAddress>{A("10.0.0.1")}));

    // The IPv6 twin of ARP poisoning: the router's address now answers with the attacker's MAC.
    watch.Hear(Neighbour("fe80::1", "02-00-00-00-00-66"));
    auto changes = Found<Ipv6MacChange>();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(FormatIp(changes[0].address), "fe80::1");
    EXPECT_EQ(FormatMac(changes[0].from), "02-00-00-00-00-01");
    EXPECT_EQ(FormatMac(changes[0].to), "02-00-00-00-00-66");
    EXPECT_TRUE(changes[0].router);
    // Heard again: no second alarm. Undone: the way back is an alarm of its own.
    watch.Hear(Neighbour("fe80::1", "02-00-00-00-00-66"));
    EXPECT_EQ(Found<Ipv6MacChange>().size(), 1u);
    EXPECT_EQ(FormatMac(watch.Known().hosts6.at(A("fe80::1")).mac), "02-00-00-00-00-01");
    EXPECT_EQ(watch.RouterMac(), Mac("02-00-00-00-00-66"));

    // Only the user's clear makes the new MAC the known one.
    watch.Clear();
    EXPECT_EQ(FormatMac(watch.Known().hosts6.at(A("fe80::1")).mac), "02-00-00-00-00-66");
    watch.Hear(Neighbour("fe80::1", "02-00-00-00-00-01", true));
    EXPECT_EQ(Found<Ipv6MacChange>().size(), 2u);
}

TEST_F(NetworkWatchTest, ARestartComparesWithWhatTheNetworkWasKnownBy) {
    watch.Start(Lan(), std::nullopt);
    KnownNetwork known = watch.Known();
    // Same network, next start: the router forged, a rogue router beside it, another gateway.
    NetworkSnapshot later = Lan();
    later.neighbours[0].mac = Mac("02-00-00-00-00-66");
    later.neighbours.push_back(Neighbour("fe80::66", "02-00-00-00-00-66", true));
    later.routes[1] = Default("10.0.0.66");
    later.routes.push_back(RaDefault("fe80::66", RouterPreference::High));

    NetworkWatch again{clock, timers, [this](const NetworkFinding& f) { findings.push_back(f); },
                       [](const IpAddress&) { return true; }};
    again.SetLink(kLink, {Mac("02-00-00-00-00-0A")});
    again.Start(later, known);
    timers.Advance(1s);
    ASSERT_EQ(Found<Ipv6MacChange>().size(), 1u);
    EXPECT_EQ(FormatIp(Found<Ipv6MacChange>()[0].address), "fe80::1");
    auto gateways = Found<GatewayChange>();
    ASSERT_EQ(gateways.size(), 1u);
    EXPECT_EQ(gateways[0].kind, GatewayChange::Kind::SinceLastRun);
    EXPECT_EQ(gateways[0].before, std::vector<IpAddress>{A("10.0.0.1")});
    EXPECT_EQ(gateways[0].after, std::vector<IpAddress>{A("10.0.0.66")});
    auto routers = Found<RouterAppeared>();
    ASSERT_EQ(routers.size(), 1u);
    EXPECT_EQ(FormatIp(routers[0].router), "fe80::66");
    EXPECT_EQ(routers[0].preference, RouterPreference::High);

    // A restart with nothing changed gives nothing.
    findings.clear();
    NetworkWatch third{clock, timers, [this](const NetworkFinding& f) { findings.push_back(f); },
                       [](const IpAddress&) { return true; }};
    third.SetLink(kLink, {Mac("02-00-00-00-00-0A")});
    third.Start(Lan(), known);
    timers.Advance(1s);
    EXPECT_TRUE(findings.empty());
}

TEST_F(NetworkWatchTest, ARogueRouterComesWithItsPreferencePrefixAndDnsServersOnce) {
    watch.Start(Lan(), std::nullopt);
    // One advertisement: the route, then the prefix and the options, then its neighbour entry.
    watch.Hear(RaDefault("fe80::66", RouterPreference::High));
    watch.Hear(AdvertisedPrefix{A("2001:db8:66::"), 64, kLink});
    watch.Hear(AdvertisedPrefix{A("2001:db8:99::"), 64, kOtherLink});
    watch.Hear(RouterOptions{A("fe80::66"), kLink, {A("2001:db8:66::53")}});
    watch.Hear(RouterOptions{A("fe80::1"), kLink, {A("2001:db8::53")}});
    watch.Hear(Neighbour("fe80::66", "02-00-00-00-00-66", true));
    EXPECT_TRUE(findings.empty()) << "the router's details are gathered first";
    timers.Advance(NetworkWatch::kRouterWindow);
    auto routers = Found<RouterAppeared>();
    ASSERT_EQ(routers.size(), 1u);
    EXPECT_EQ(FormatMac(routers[0].mac), "02-00-00-00-00-66");
    EXPECT_EQ(routers[0].preference, RouterPreference::High);
    ASSERT_EQ(routers[0].prefixes.size(), 1u);
    EXPECT_EQ(FormatIp(routers[0].prefixes[0].prefix), "2001:db8:66::");
    EXPECT_EQ(routers[0].dnsServers, std::vector<IpAddress>{A("2001:db8:66::53")});

    // Its next advertisements, and the real router's, raise nothing.
    for (int i = 0; i < 3; ++i) {
        watch.Hear(RaDefault("fe80::66", RouterPreference::High));
        watch.Hear(RaDefault("fe80::1"));
        watch.Hear(AdvertisedPrefix{A("2001:db8:66::"), 64, kLink});
        timers.Advance(4s);
    }
    EXPECT_EQ(Found<RouterAppeared>().size(), 1u);
    EXPECT_EQ(findings.size(), 1u);
}

TEST_F(NetworkWatchTest, GatewayChangesAreToldAndARenewedLeaseOrALostLinkAreNot) {
    watch.Start(Lan(), std::nullopt);
    auto kinds = [this] {
        std::vector<GatewayChange::Kind> out;
        for (const GatewayChange& g : Found<GatewayChange>()) {
            out.push_back(g.kind);
        }
        return out;
    };
    // A lease renewed: the route goes and comes back at once.
    watch.Hear(Removed(Default("10.0.0.1")));
    watch.Hear(Default("10.0.0.1"));
    timers.Advance(NetworkWatch::kGatewayGrace);
    EXPECT_TRUE(kinds().empty());

    // A second default route beside the known one.
    watch.Hear(Default("10.0.0.66", kLink, 5));
    EXPECT_EQ(kinds(), std::vector{GatewayChange::Kind::Added});
    watch.Hear(Removed(Default("10.0.0.66", kLink, 5)));
    timers.Advance(NetworkWatch::kGatewayGrace);
    EXPECT_EQ(kinds().size(), 1u) << "back to the known gateway: nothing to tell";

    // The next hop replaced, then the interface.
    Route replaced = Default("10.0.0.66");
    replaced.replaces = true;
    watch.Hear(replaced);
    EXPECT_EQ(kinds().back(), GatewayChange::Kind::NextHop);
    Route elsewhere = Default("10.0.0.66", kOtherLink);
    elsewhere.replaces = true;
    watch.Hear(elsewhere);
    EXPECT_EQ(kinds().back(), GatewayChange::Kind::Interface);

    // Removed while its gateway still answers: told after the grace.
    answering.insert(A("10.0.0.66"));
    watch.Hear(Removed(elsewhere));
    EXPECT_EQ(kinds().size(), 3u);
    timers.Advance(NetworkWatch::kGatewayGrace);
    ASSERT_EQ(kinds().size(), 4u);
    EXPECT_EQ(kinds().back(), GatewayChange::Kind::Removed);
}

TEST_F(NetworkWatchTest, ALinkThatGoesDownAndComesBackToItsGatewayIsNoChangeButANewGatewayIs) {
    watch.Start(Lan(), std::nullopt);
    answering.clear();  // the link is down: nothing answers
    watch.Hear(Removed(Default("10.0.0.1")));
    timers.Advance(NetworkWatch::kGatewayGrace);
    watch.Hear(Default("10.0.0.1"));
    EXPECT_TRUE(findings.empty());

    watch.Hear(Removed(Default("10.0.0.1")));
    timers.Advance(NetworkWatch::kGatewayGrace);
    watch.Hear(Default("10.0.0.99"));
    auto changes = Found<GatewayChange>();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, GatewayChange::Kind::NextHop);
    EXPECT_EQ(changes[0].before, std::vector<IpAddress>{A("10.0.0.1")});
}

TEST_F(NetworkWatchTest, OwnMacElsewhereAndFailedDetectionAreToldOnceOnTheWatchedLinkOnly) {
    watch.Start(Lan(), std::nullopt);
    // Several addresses of one MAC are normal for IPv6 and raise nothing.
    watch.Hear(Neighbour("2001:db8::21", "02-00-00-00-00-20"));
    watch.Hear(Neighbour6{A("fe80::77"), Mac("02-00-00-00-00-0A"), kOtherLink, 2, false, false});
    watch.Hear(Neighbour6{A("ff02::1"), Mac("02-00-00-00-00-0A"), kLink, 2, false, false});
    EXPECT_TRUE(findings.empty());

    watch.Hear(Neighbour("fe80::77", "02-00-00-00-00-0A"));
    watch.Hear(Neighbour("fe80::77", "02-00-00-00-00-0A"));
    ASSERT_EQ(Found<Ipv6OwnMacSeen>().size(), 1u);
    EXPECT_EQ(FormatIp(Found<Ipv6OwnMacSeen>()[0].address), "fe80::77");

    OwnAddress failed{A("2001:db8::a"), 64, kLink, true, true, false};
    watch.Hear(failed);
    watch.Hear(failed);
    ASSERT_EQ(Found<DadFailure>().size(), 1u);
    watch.Hear(OwnAddress{A("2001:db8::b"), 64, kOtherLink, false, true, false});
    EXPECT_EQ(Found<DadFailure>().size(), 1u);
    // Taken away and tried again, it may fail again.
    watch.Hear(OwnAddress{A("2001:db8::a"), 64, kLink, false, false, true});
    watch.Hear(failed);
    EXPECT_EQ(Found<DadFailure>().size(), 2u);
}

}  // namespace
}  // namespace kestrove
