// Run by wine_lan_test.py inside a network namespace whose Wine prefix was booted there: the
// namespace's adapter and static neighbours, as the script set them up, come back through IP
// Helper. The expected values arrive in the environment.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "netinfo/NetInfoPlatform.h"
#include "netinfo/OwnAdapters.h"
#include "netinfo/windows/IpHelperNetworkState.h"

namespace kestrove {
namespace {

std::string Expected(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

TEST(IpHelperLan, StaticNeighboursComeBackWithTheirMacs) {
    // "10.78.5.200=02-00-00-00-07-C8,..."
    std::map<std::string, std::string> expected;
    std::stringstream list(Expected("KESTROVE_LAN_NEIGHBOURS"));
    std::string item;
    while (std::getline(list, item, ',')) {
        expected[item.substr(0, item.find('='))] = item.substr(item.find('=') + 1);
    }
    ASSERT_FALSE(expected.empty());

    std::unique_ptr<ArpTableSource> source = CreateArpTableSource();
    std::vector<ArpEntry> entries;
    ASSERT_TRUE(source->Read(entries));
    std::map<std::string, std::string> seen;
    for (const ArpEntry& entry : entries) {
        seen[FormatDotted(entry.address)] = FormatMac(entry.mac);
    }
    for (const auto& [ip, mac] : expected) {
        EXPECT_EQ(seen[ip], mac) << ip;
    }
}

TEST(IpHelperLan, TheVethAdapterGivesItsMacAddressAndMask) {
    std::unique_ptr<AdapterSource> source = CreateAdapterSource();
    std::vector<AdapterRecord> adapters;
    ASSERT_EQ(source->Read(adapters), AdapterQueryStatus::Ok);
    ASSERT_EQ(adapters.size(), 1u) << "loopback is not listed; veth0 is the only other one";
    EXPECT_EQ(FormatMac(adapters[0].mac), Expected("KESTROVE_LAN_MAC"));
    EXPECT_EQ(adapters[0].ipAddress, Expected("KESTROVE_LAN_IP"));
    EXPECT_EQ(adapters[0].ipMask, Expected("KESTROVE_LAN_MASK"));

    // And through the module the monitor and the sweeper use.
    OwnAdapters own(*source);
    own.GetOwnAdapters(nullptr);
    EXPECT_EQ(own.OwnIpList[0], Expected("KESTROVE_LAN_IP"));
}

// The IPv6 address and the default routes the script set up, as IP Helper gives them
// (GetUnicastIpAddressTable, GetIpForwardTable2 with AF_UNSPEC). Wine keeps no IPv6 neighbour
// table (GetIpNetTable2 for AF_INET6 answers "invalid function"; the read goes on without one)
// and lists IPv4 routes only; the test notices when a Wine gives more. What came back is
// printed for the run's log.
TEST(IpHelperLan, Ipv6NeighboursAddressesAndDefaultRoutesComeBack) {
    NetworkSnapshot state;
    ASSERT_TRUE(ReadIpHelperNetworkState(state));
    const std::string neighbour = Expected("KESTROVE_LAN_NEIGHBOUR6");  // "fe80::c8=02-00-..."
    const std::string router = neighbour.substr(0, neighbour.find('='));
    bool neighbourSeen = false;
    for (const Neighbour6& n : state.neighbours) {
        std::printf("IPv6 neighbour %s %s\n", FormatIp(n.address).c_str(),
                    FormatMac(n.mac).c_str());
        neighbourSeen |= FormatIp(n.address) + "=" + FormatMac(n.mac) == neighbour;
    }
    bool addressSeen = false;
    for (const OwnAddress& a : state.addresses) {
        std::printf("own address %s/%d\n", FormatIp(a.address).c_str(), a.prefixLength);
        addressSeen |= FormatIp(a.address) == Expected("KESTROVE_LAN_IP6");
    }
    bool route4Seen = false;
    bool route6Seen = false;
    bool anyRoute6 = false;
    for (const Route& r : state.routes) {
        std::printf("route %s/%d via %s\n", FormatIp(r.destination).c_str(), r.prefixLength,
                    FormatIp(r.gateway).c_str());
        route4Seen |= r.IsDefault() && FormatIp(r.gateway) == Expected("KESTROVE_LAN_GATEWAY");
        route6Seen |= r.IsDefault() && FormatIp(r.gateway) == router;
        anyRoute6 |= r.destination.family == IpAddress::Family::V6;
    }
    if (!state.neighbours.empty()) {
        EXPECT_TRUE(neighbourSeen) << neighbour;
    }
    EXPECT_TRUE(addressSeen) << Expected("KESTROVE_LAN_IP6");
    EXPECT_TRUE(route4Seen) << Expected("KESTROVE_LAN_GATEWAY");
    if (anyRoute6) {
        EXPECT_TRUE(route6Seen) << router;
    }
}

}  // namespace
}  // namespace kestrove
