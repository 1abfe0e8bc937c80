#include "netinfo/linux/NetworkMessages.h"

#include <gtest/gtest.h>
#include <linux/if_addr.h>
#include <linux/neighbour.h>
#include <sys/socket.h>

#include <cstring>

#include "NetlinkBytes.h"

namespace kestrove {
namespace {

using test::Attr;
using test::Body;
using test::Bytes;
using test::Join;

constexpr std::uint32_t kSeq = 9;
constexpr int kEth = 2;

Bytes V6(const char* text) {
    IpAddress a;
    EXPECT_TRUE(ParseIp(text, a)) << text;
    return Bytes(a.bytes.begin(), a.bytes.end());
}

Bytes U32(std::uint32_t v) {
    Bytes out(sizeof v);
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}

Bytes Msg(std::uint16_t type, const Bytes& body, std::uint32_t seq = kSeq) {
    return test::Message(type, body, seq);
}

Bytes Neighbour6Body(const char* address, Bytes mac, std::uint8_t flags = 0,
                     std::uint8_t family = AF_INET6) {
    ndmsg nd{};
    nd.ndm_family = family;
    nd.ndm_ifindex = kEth;
    nd.ndm_state = NUD_STALE;
    nd.ndm_flags = flags;
    Bytes dst = family == AF_INET6 ? V6(address) : Bytes{10, 0, 0, 1};
    return Body(nd, {Attr(NDA_DST, dst), Attr(NDA_LLADDR, mac)});
}

rtmsg RouteHeader(std::uint8_t family, std::uint8_t dstLen, std::uint8_t protocol,
                  std::uint8_t table = RT_TABLE_MAIN, std::uint8_t type = RTN_UNICAST) {
    rtmsg rt{};
    rt.rtm_family = family;
    rt.rtm_dst_len = dstLen;
    rt.rtm_protocol = protocol;
    rt.rtm_table = table;
    rt.rtm_type = type;
    return rt;
}

Bytes AddressBody(const char* address, std::uint32_t flags, std::uint8_t family = AF_INET6) {
    ifaddrmsg ifa{};
    ifa.ifa_family = family;
    ifa.ifa_prefixlen = 64;
    ifa.ifa_flags = static_cast<std::uint8_t>(flags);
    ifa.ifa_index = kEth;
    Bytes addr = family == AF_INET6 ? V6(address) : Bytes{10, 0, 0, 10};
    return Body(ifa, {Attr(IFA_ADDRESS, addr), Attr(IFA_FLAGS, U32(flags))});
}

// A router advertisement's options as RTM_NEWNDUSEROPT carries them.
Bytes UserOptionsBody(const Bytes& options, const char* router, std::uint16_t declaredLength = 0) {
    nduseroptmsg h{};
    h.nduseropt_family = AF_INET6;
    h.nduseropt_opts_len =
        declaredLength != 0 ? declaredLength : static_cast<std::uint16_t>(options.size());
    h.nduseropt_ifindex = kEth;
    h.nduseropt_icmp_type = 134;
    Bytes out;
    test::Append(out, h);
    out.insert(out.end(), options.begin(), options.end());
    test::Pad4(out);
    Bytes src = Attr(NDUSEROPT_SRCADDR, V6(router));
    out.insert(out.end(), src.begin(), src.end());
    return out;
}

Bytes Rdnss(std::uint32_t lifetime, std::initializer_list<const char*> servers) {
    Bytes option{25, static_cast<std::uint8_t>(1 + 2 * servers.size()), 0, 0};
    Bytes life = U32(lifetime);
    option.insert(option.end(), life.begin(), life.end());
    for (const char* s : servers) {
        Bytes a = V6(s);
        option.insert(option.end(), a.begin(), a.end());
    }
    return option;
}

std::vector<NetworkChange> Events(const Bytes& bytes, bool whole = true) {
    std::vector<NetworkChange> changes;
    EXPECT_EQ(ParseNetworkEvents(bytes, changes), whole);
    return changes;
}

TEST(NetworkMessages, Ipv6NeighboursAreTakenWithTheirRouterFlagAndRemovalIpv4OnesLeft) {
    auto changes = Events(Join({
        Msg(RTM_NEWNEIGH, Neighbour6Body("fe80::1", {2, 0, 0, 0, 0, 1}, NTF_ROUTER)),
        Msg(RTM_NEWNEIGH, Neighbour6Body("", {2, 0, 0, 0, 0, 2}, 0, AF_INET)),
        Msg(RTM_DELNEIGH, Neighbour6Body("2001:db8::5", {2, 0, 0, 0, 0, 5})),
    }));
    ASSERT_EQ(changes.size(), 2u);
    const auto& router = std::get<Neighbour6>(changes[0]);
    EXPECT_EQ(FormatIp(router.address), "fe80::1");
    EXPECT_EQ(FormatMac(router.mac), "02-00-00-00-00-01");
    EXPECT_TRUE(router.router);
    EXPECT_FALSE(router.removed);
    EXPECT_EQ(router.interfaceIndex, kEth);
    EXPECT_TRUE(std::get<Neighbour6>(changes[1]).removed);
}

TEST(NetworkMessages, DefaultRoutesOfBothFamiliesAndRoutesFromAdvertisementsOnly) {
    auto changes = Events(Join({
        // IPv4 default from DHCP, through 10.0.0.1 on eth.
        Msg(RTM_NEWROUTE, Body(RouteHeader(AF_INET, 0, RTPROT_DHCP),
                               {Attr(RTA_GATEWAY, {10, 0, 0, 1}), Attr(RTA_OIF, U32(kEth)),
                                Attr(RTA_PRIORITY, U32(100))})),
        // IPv6 default from a router advertisement with high preference.
        Msg(RTM_NEWROUTE, Body(RouteHeader(AF_INET6, 0, RTPROT_RA),
                               {Attr(RTA_GATEWAY, V6("fe80::1")), Attr(RTA_OIF, U32(kEth)),
                                Attr(RTA_PREF, {1})})),
        // A more specific route an advertisement brought (route information option).
        Msg(RTM_NEWROUTE,
            Body(RouteHeader(AF_INET6, 48, RTPROT_RA),
                 {Attr(RTA_DST, V6("2001:db8:99::")), Attr(RTA_GATEWAY, V6("fe80::66"))})),
        // Neither: an IPv4 subnet route, a route of the local table, an unreachable default,
        // and a main-table number overridden by RTA_TABLE.
        Msg(RTM_NEWROUTE,
            Body(RouteHeader(AF_INET, 24, RTPROT_KERNEL), {Attr(RTA_DST, {10, 0, 0, 0})})),
        Msg(RTM_NEWROUTE, Body(RouteHeader(AF_INET6, 0, RTPROT_KERNEL, RT_TABLE_LOCAL), {})),
        Msg(RTM_NEWROUTE,
            Body(RouteHeader(AF_INET6, 0, RTPROT_KERNEL, RT_TABLE_MAIN, RTN_UNREACHABLE), {})),
        Msg(RTM_NEWROUTE, Body(RouteHeader(AF_INET, 0, RTPROT_BOOT),
                               {Attr(RTA_TABLE, U32(100)), Attr(RTA_GATEWAY, {10, 0, 0, 9})})),
        Msg(RTM_DELROUTE,
            Body(RouteHeader(AF_INET, 0, RTPROT_BOOT), {Attr(RTA_GATEWAY, {10, 0, 0, 2})})),
    }));
    ASSERT_EQ(changes.size(), 4u);
    const auto& v4 = std::get<Route>(changes[0]);
    EXPECT_TRUE(v4.IsDefault());
    EXPECT_EQ(FormatIp(v4.gateway), "10.0.0.1");
    EXPECT_EQ(v4.interfaceIndex, kEth);
    EXPECT_EQ(v4.metric, 100u);
    EXPECT_EQ(v4.origin, RouteOrigin::Dhcp);
    const auto& v6 = std::get<Route>(changes[1]);
    EXPECT_EQ(FormatIp(v6.gateway), "fe80::1");
    EXPECT_EQ(v6.origin, RouteOrigin::RouterAdvertisement);
    EXPECT_EQ(v6.preference, RouterPreference::High);
    const auto& specific = std::get<Route>(changes[2]);
    EXPECT_EQ(FormatIp(specific.destination), "2001:db8:99::");
    EXPECT_EQ(specific.prefixLength, 48);
    EXPECT_TRUE(std::get<Route>(changes[3]).removed);
}

TEST(NetworkMessages, EveryNextHopOfAMultipathRouteIsARouteOfItsOwn) {
    auto hop = [](int ifindex, Bytes gateway) {
        Bytes attrs = Attr(RTA_GATEWAY, gateway);
        rtnexthop nh{};
        nh.rtnh_len = static_cast<unsigned short>(sizeof nh + attrs.size());
        nh.rtnh_ifindex = ifindex;
        Bytes out;
        test::Append(out, nh);
        out.insert(out.end(), attrs.begin(), attrs.end());
        return out;
    };
    auto changes = Events(
        Msg(RTM_NEWROUTE,
            Body(RouteHeader(AF_INET, 0, RTPROT_STATIC),
                 {Attr(RTA_MULTIPATH, Join({hop(2, {10, 0, 0, 1}), hop(3, {10, 0, 1, 1})}))})));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(FormatIp(std::get<Route>(changes[0]).gateway), "10.0.0.1");
    EXPECT_EQ(std::get<Route>(changes[1]).interfaceIndex, 3);
    EXPECT_EQ(FormatIp(std::get<Route>(changes[1]).gateway), "10.0.1.1");

    // A next hop that claims more bytes than there are spoils the message.
    Bytes broken = hop(2, {10, 0, 0, 1});
    broken[0] = 200;
    Events(Msg(RTM_NEWROUTE,
               Body(RouteHeader(AF_INET, 0, RTPROT_STATIC), {Attr(RTA_MULTIPATH, broken)})),
           false);
}

TEST(NetworkMessages, OwnIpv6AddressesTellTentativeAndFailedDetectionFromTheWholeFlagWord) {
    auto changes = Events(Join({
        Msg(RTM_NEWADDR, AddressBody("2001:db8::10", IFA_F_TENTATIVE)),
        Msg(RTM_NEWADDR, AddressBody("2001:db8::10", IFA_F_TENTATIVE | IFA_F_DADFAILED)),
        Msg(RTM_NEWADDR, AddressBody("", 0, AF_INET)),
        Msg(RTM_DELADDR, AddressBody("2001:db8::11", 0)),
    }));
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_TRUE(std::get<OwnAddress>(changes[0]).tentative);
    EXPECT_FALSE(std::get<OwnAddress>(changes[0]).dadFailed);
    EXPECT_TRUE(std::get<OwnAddress>(changes[1]).dadFailed);
    EXPECT_EQ(std::get<OwnAddress>(changes[1]).prefixLength, 64);
    EXPECT_TRUE(std::get<OwnAddress>(changes[2]).removed);
}

TEST(NetworkMessages, DnsServersOfAnAdvertisementComeWithItsRouter) {
    auto changes = Events(Join({
        Msg(RTM_NEWNDUSEROPT,
            UserOptionsBody(Join({Bytes{31, 1, 0, 0, 0, 0, 0, 0},  // a DNSSL option, passed over
                                  Rdnss(600, {"2001:db8::53", "2001:db8::54"})}),
                            "fe80::1")),
        // A lifetime of zero withdraws the servers: nothing new is announced.
        Msg(RTM_NEWNDUSEROPT, UserOptionsBody(Rdnss(0, {"2001:db8::55"}), "fe80::1")),
    }));
    ASSERT_EQ(changes.size(), 1u);
    const auto& options = std::get<RouterOptions>(changes[0]);
    EXPECT_EQ(FormatIp(options.router), "fe80::1");
    ASSERT_EQ(options.dnsServers.size(), 2u);
    EXPECT_EQ(FormatIp(options.dnsServers[1]), "2001:db8::54");

    // An option of length zero, and options longer than the message, are malformed.
    Events(Msg(RTM_NEWNDUSEROPT, UserOptionsBody(Bytes{25, 0, 0, 0, 0, 0, 0, 0}, "fe80::1")),
           false);
    Events(Msg(RTM_NEWNDUSEROPT, UserOptionsBody(Rdnss(600, {"2001:db8::53"}), "fe80::1", 400)),
           false);
}

TEST(NetworkMessages, APrefixAnnouncementIsTakenAndAFaultKeepsWhatCameBefore) {
    prefixmsg p{};
    p.prefix_family = AF_INET6;
    p.prefix_ifindex = kEth;
    p.prefix_len = 64;
    Bytes prefix = Msg(RTM_NEWPREFIX, Body(p, {Attr(PREFIX_ADDRESS, V6("2001:db8:77::"))}));
    Bytes truncated = Msg(RTM_NEWNEIGH, Neighbour6Body("fe80::9", {2, 0, 0, 0, 0, 9}));
    truncated.resize(truncated.size() - 6);
    auto changes = Events(Join({prefix, truncated}), false);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(FormatIp(std::get<AdvertisedPrefix>(changes[0]).prefix), "2001:db8:77::");
    EXPECT_EQ(std::get<AdvertisedPrefix>(changes[0]).prefixLength, 64);
}

TEST(NetworkMessages, ADumpTakesOnlyItsOwnAnswerAndEndsAtItsDone) {
    int done = 0;
    Bytes doneBody;
    test::Append(doneBody, done);
    NetworkSnapshot snapshot;
    Bytes dump = Join({
        Msg(RTM_NEWNEIGH, Neighbour6Body("fe80::2", {2, 0, 0, 0, 0, 2}), kSeq - 1),
        Msg(RTM_NEWNEIGH, Neighbour6Body("fe80::1", {2, 0, 0, 0, 0, 1}, NTF_ROUTER)),
        Msg(RTM_NEWADDR, AddressBody("fe80::10", 0)),
        Msg(RTM_NEWROUTE,
            Body(RouteHeader(AF_INET, 0, RTPROT_BOOT), {Attr(RTA_GATEWAY, {10, 0, 0, 1})})),
        Msg(NLMSG_DONE, doneBody),
    });
    EXPECT_EQ(ParseNetworkDump(dump, kSeq, snapshot), NeighbourDumpStatus::Done);
    ASSERT_EQ(snapshot.neighbours.size(), 1u);
    EXPECT_EQ(FormatIp(snapshot.neighbours[0].address), "fe80::1");
    EXPECT_EQ(snapshot.addresses.size(), 1u);
    EXPECT_EQ(snapshot.routes.size(), 1u);

    int failed = -16;
    Bytes failedBody;
    test::Append(failedBody, failed);
    NetworkSnapshot broken;
    EXPECT_EQ(ParseNetworkDump(Msg(NLMSG_DONE, failedBody), kSeq, broken),
              NeighbourDumpStatus::Error);
}

}  // namespace
}  // namespace kestrove
