#include "monitor/watch/HostTable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "testsupport/FakeNetInfo.h"

namespace kestrove::test {
namespace {

TEST(HostTable, AnAddressChangingItsMacLeavesTheOldMacsHolders) {
    HostTable table;
    table.Record(Ip("10.0.0.1"), Mac("02-00-00-00-00-01"));
    table.Record(Ip("10.0.0.2"), Mac("02-00-00-00-00-01"));
    EXPECT_EQ(table.Holders(Mac("02-00-00-00-00-01")), 2u);
    table.Record(Ip("10.0.0.1"), Mac("02-00-00-00-00-02"));
    EXPECT_EQ(table.Holders(Mac("02-00-00-00-00-01")), 1u);
    EXPECT_EQ(table.Holders(Mac("02-00-00-00-00-02")), 1u);
    table.Record(Ip("10.0.0.2"), Mac("02-00-00-00-00-02"));
    EXPECT_EQ(table.Holders(Mac("02-00-00-00-00-01")), 0u);
    EXPECT_EQ(table.Holders(Mac("02-00-00-00-00-02")), 2u);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(*table.Find(Ip("10.0.0.1")), Mac("02-00-00-00-00-02"));
    EXPECT_EQ(table.Find(Ip("10.0.0.3")), nullptr);
    table.Record(Ip("10.0.0.3"), MacAddress{});
    EXPECT_EQ(table.Find(Ip("10.0.0.3")), nullptr) << "an empty MAC is never recorded";
}

// Many hosts changing among few MACs, and among ever new ones, against a plain map: the index
// must follow every change, and MACs nobody holds must leave it (the table stays small).
TEST(HostTable, FollowsEveryChangeLikeAPlainMap) {
    HostTable table;
    std::map<Ipv4, MacAddress> reference;
    std::mt19937 random(3);
    auto macOf = [](std::uint32_t n) {
        const std::uint8_t bytes[6] = {2,
                                       0,
                                       static_cast<std::uint8_t>(n >> 24),
                                       static_cast<std::uint8_t>(n >> 16),
                                       static_cast<std::uint8_t>(n >> 8),
                                       static_cast<std::uint8_t>(n)};
        return MacAddress::FromBytes(bytes, 6);
    };
    for (std::uint32_t step = 0; step < 200000; ++step) {
        Ipv4 address = 0x0A000000 | static_cast<Ipv4>(random() % 5000);
        // Mostly a few shared MACs; now and then one never seen before.
        std::uint32_t n = random() % 8 == 0 ? 1000 + step : random() % 50;
        table.Record(address, macOf(n));
        reference[address] = macOf(n);
    }
    std::map<std::uint64_t, std::size_t> holders;
    for (const auto& [address, mac] : reference) {
        ASSERT_EQ(*table.Find(address), mac);
        std::uint64_t key = 0;
        for (std::uint8_t b : mac.bytes) {
            key = key << 8 | b;
        }
        ++holders[key];
    }
    ASSERT_EQ(table.Count(), reference.size());
    for (std::uint32_t n = 0; n < 50; ++n) {
        std::uint64_t key = 0;
        for (std::uint8_t b : macOf(n).bytes) {
            key = key << 8 | b;
        }
        EXPECT_EQ(table.Holders(macOf(n)), holders[key]) << n;
    }
    EXPECT_LE(table.Bytes(), 4 * 16 * 5000u) << "no dead slots piling up";
}

}  // namespace
}  // namespace kestrove::test
