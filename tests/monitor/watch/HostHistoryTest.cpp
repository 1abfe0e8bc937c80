#include "monitor/watch/HostHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace kestrove {
namespace {

ListedHost RandomHost(std::mt19937& random, std::uint8_t length) {
    // Few distinct bytes, so MACs collide, share prefixes and differ only in length.
    std::uint8_t bytes[MacAddress::kMaxLength];
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random() % 3 == 0 ? 0x0A : random() % 2);
    }
    return {MacAddress::FromBytes(bytes, length), static_cast<Ipv4>(0x0A000000 | random() % 512)};
}

// The engine keeps `List2` as entries, not lines; its order must still be the lines' text order.
TEST(HostHistory, EntryOrderIsTheTextOrderOfTheLinesForMacsOfEveryLength) {
    std::mt19937 random(5);
    for (int i = 0; i < 20000; ++i) {
        ListedHost a = RandomHost(random, static_cast<std::uint8_t>(1 + random() % 8));
        ListedHost b = RandomHost(random, static_cast<std::uint8_t>(1 + random() % 8));
        if (random() % 4 == 0) {
            b.mac = a.mac;  // the same MAC, or one that begins the other
            b.mac.length = static_cast<std::uint8_t>(1 + random() % 8);
            std::fill(b.mac.bytes.begin() + b.mac.length, b.mac.bytes.end(), 0);
        }
        ASSERT_EQ(ListedBefore(a, b), FormatListed(a) < FormatListed(b))
            << FormatListed(a) << " / " << FormatListed(b);
    }
}

// Entries arrive in batches of every size (a first scan, hosts heard one at a time) with reads
// in between; the list must read in order every time, and only a clear moves the generation.
TEST(HostHistory, EntriesAddedInAnyBatchesReadInOrder) {
    HostHistory list;
    std::set<Ipv4> used;
    std::vector<std::string> all;
    std::mt19937 random(7);
    for (int batch : {0, 1, 500, 1, 1, 37, 0, 2, 3000, 1}) {
        for (int i = 0; i < batch; ++i) {
            ListedHost host = RandomHost(random, 6);
            host.address = static_cast<Ipv4>(random());
            if (!used.insert(host.address).second) {
                continue;  // one entry per address
            }
            list.Add(host);
            all.push_back(FormatListed(host));
        }
        std::sort(all.begin(), all.end());
        ASSERT_EQ(list.Lines(), all) << "after a batch of " << batch;
    }
    EXPECT_EQ(list.Generation(), 0u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Generation(), 1u);
}

// The neighbours sharing a MAC, asked while new entries still wait outside the main run, are
// those of the whole list in order.
TEST(HostHistory, SameMacNeighboursAreThoseOfTheWholeListInOrder) {
    HostHistory list;
    std::vector<ListedHost> added;
    std::mt19937 random(11);
    for (int i = 0; i < 2500; ++i) {
        ListedHost host{
            MacAddress::FromBytes(
                std::array<std::uint8_t, 6>{2, 0, 0, 0, 0, static_cast<std::uint8_t>(random() % 40)}
                    .data(),
                6),
            static_cast<Ipv4>(i * 7919 % 65536)};
        list.Add(host);
        added.push_back(host);
        if (i % 97 != 0) {
            continue;
        }
        std::vector<ListedHost> sorted = added;
        std::sort(sorted.begin(), sorted.end(), ListedBefore);
        for (std::size_t k = 0; k < sorted.size(); k += 13) {
            auto [before, after] = list.SameMacNeighbours(sorted[k]);
            bool sharedBefore = k > 0 && sorted[k - 1].mac == sorted[k].mac;
            bool sharedAfter = k + 1 < sorted.size() && sorted[k + 1].mac == sorted[k].mac;
            ASSERT_EQ(before != nullptr, sharedBefore) << i << " " << k;
            ASSERT_EQ(after != nullptr, sharedAfter) << i << " " << k;
            if (sharedBefore) {
                EXPECT_EQ(*before, sorted[k - 1]);
            }
            if (sharedAfter) {
                EXPECT_EQ(*after, sorted[k + 1]);
            }
        }
    }
    EXPECT_EQ(list.WithMac(added[0].mac).size(),
              static_cast<std::size_t>(std::count_if(
                  added.begin(), added.end(), [&](auto& h) { return h.mac == added[0].mac; })));
}

}  // namespace
}  // namespace kestrove
