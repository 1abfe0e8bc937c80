#include "monitor/watch/RememberedHostTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace kestrove::test {
namespace {

MacAddress MacOf(std::uint32_t n) {
    const std::uint8_t bytes[6] = {2, 0, 0, 0, static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n)};
    return MacAddress::FromBytes(bytes, 6);
}

// Batches merged in any order, single puts, then lookups asked in address order (with the
// cursor a scan uses), in random order and for absent addresses: always what a plain map says.
TEST(RememberedHostTable, FollowsPutsAndMergesLikeAPlainMapWhateverOrderItIsAskedIn) {
    RememberedHostTable table;
    std::map<Ipv4, RememberedHost> reference;
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<RememberedHost> batch;
        for (int k = static_cast<int>(random() % 40); k > 0; --k) {
            Ipv4 address = 0x0A000000 | static_cast<Ipv4>(random() % 3000);
            RememberedHost host{address, MacOf(random()), round, round + k};
            if (std::any_of(batch.begin(), batch.end(),
                            [&](const auto& b) { return b.address == address; })) {
                continue;
            }
            if (reference.contains(address)) {
                table.Put(host);  // an address already held is replaced, never merged
            } else {
                batch.push_back(host);
            }
            reference[address] = host;
        }
        if (round % 2 == 0) {
            RememberedHostTable::SortByAddress(batch);
        }
        table.Merge(batch);
    }
    ASSERT_EQ(table.Size(), reference.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), reference.begin(), reference.end(),
                           [](const auto& a, const auto& b) { return a == b.second; }));
    std::size_t cursor = 0;
    for (Ipv4 address = 0x0A000000; address < 0x0A000000 + 3100; ++address) {
        auto known = reference.find(address);
        const RememberedHost* found = table.Find(address, cursor);
        ASSERT_EQ(found == nullptr, known == reference.end()) << address;
        if (found != nullptr) {
            EXPECT_EQ(*found, known->second);
        }
    }
    cursor = 0;
    for (int k = 0; k < 5000; ++k) {
        Ipv4 address = 0x0A000000 | static_cast<Ipv4>(random() % 3100);
        const RememberedHost* found = table.Find(address, cursor);
        ASSERT_EQ(found == nullptr, !reference.contains(address)) << address;
        if (found != nullptr) {
            EXPECT_EQ(found->address, address);
        }
    }
}

TEST(RememberedHostTable, TimesKeepTheirSignAndAreHeldAtTheEndsOfTheirSpan) {
    for (std::int64_t t : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1700000000},
                           std::int64_t{4102444800}, PackedSeconds::kMax, PackedSeconds::kMin}) {
        EXPECT_EQ(std::int64_t{PackedSeconds(t)}, t);
    }
    EXPECT_EQ(std::int64_t{PackedSeconds(PackedSeconds::kMax + 1)}, PackedSeconds::kMax);
    EXPECT_EQ(std::int64_t{PackedSeconds(INT64_MIN)}, PackedSeconds::kMin);
}

}  // namespace
}  // namespace kestrove::test
