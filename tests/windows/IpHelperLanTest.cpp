// Run by wine_lan_test.py inside a network namespace whose Wine prefix was booted there: the
// namespace's adapter and static neighbours, as the script set them up, come back through IP
// Helper. The expected values arrive in the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "netinfo/NetInfoPlatform.h"
#include "netinfo/OwnAdapters.h"

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

}  // namespace
}  // namespace kestrove
