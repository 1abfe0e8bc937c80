#include "monitor/watch/HostGrid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "testsupport/FakeNetInfo.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Shown(const HostGrid& grid) {
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < grid.Rows().size(); ++r) {
        rows.push_back(FormatDotted(grid.Rows()[r].address) + " " + grid.MacText(r));
    }
    return rows;
}

TEST(HostGridTest, RowsAreSortedByEveryOctetAndEqualAddressesKeepTheirOrder) {
    HostGrid grid;
    std::vector<ArpEntry> rows = {
        {Ip("10.0.0.10"), Mac("00-00-00-00-00-01")},
        {Ip("192.168.1.5"), Mac("00-00-00-00-00-02")},
        {Ip("10.0.0.2"), Mac("00-00-00-00-00-03")},
        {Ip("9.255.255.255"), Mac("00-00-00-00-00-04")},
        {Ip("10.1.0.0"), Mac("00-00-00-00-00-05")},
        {Ip("10.0.0.2"), Mac("00-00-00-00-00-06")},
        {Ip("10.0.1.1"), Mac("00-00-00-00-00-07")},
    };
    grid.Publish(rows);
    EXPECT_THAT(Shown(grid),
                ElementsAre("9.255.255.255 00-00-00-00-00-04", "10.0.0.2 00-00-00-00-00-03",
                            "10.0.0.2 00-00-00-00-00-06", "10.0.0.10 00-00-00-00-00-01",
                            "10.0.1.1 00-00-00-00-00-07", "10.1.0.0 00-00-00-00-00-05",
                            "192.168.1.5 00-00-00-00-00-02"));
    EXPECT_THAT(rows, IsEmpty()) << "the storage handed back is empty";

    std::vector<ArpEntry> none;
    grid.Publish(none);
    EXPECT_THAT(Shown(grid), IsEmpty());
    std::vector<ArpEntry> one = {{Ip("10.0.0.1"), Mac("00-00-00-00-00-01")}};
    grid.Publish(one);
    EXPECT_THAT(Shown(grid), ElementsAre("10.0.0.1 00-00-00-00-00-01"));
    EXPECT_EQ(grid.Version(), 3u);

    std::vector<ArpEntry> same = {{Ip("10.0.0.1"), Mac("00-00-00-00-00-01")}};
    grid.Publish(same);
    EXPECT_EQ(grid.Version(), 3u) << "an unchanged table leaves the window's grid alone";
    std::vector<ArpEntry> changed = {{Ip("10.0.0.1"), Mac("00-00-00-00-00-02")}};
    grid.Publish(changed);
    EXPECT_EQ(grid.Version(), 4u);
}

TEST(HostGridTest, LargeTablesSortLikeAStableComparisonSort) {
    std::mt19937 random(7);
    HostGrid grid;
    for (Ipv4 mask : {0x000000FFu, 0x0000FFFFu, 0xFFFFFFFFu}) {
        std::vector<ArpEntry> rows;
        for (std::uint8_t i = 0; rows.size() < 5000; ++i) {
            // Few distinct addresses under the narrow masks, so many rows share one.
            rows.push_back({MakeIpv4(10, 1, 2, 3) ^ (static_cast<Ipv4>(random()) & mask),
                            Mac("00-00-00-00-00-00")});
            rows.back().mac.bytes[0] = i;
        }
        std::vector<ArpEntry> expected = rows;
        std::stable_sort(
            expected.begin(), expected.end(),
            [](const ArpEntry& a, const ArpEntry& b) { return a.address < b.address; });
        grid.Publish(rows);
        ASSERT_EQ(grid.Rows().size(), expected.size());
        for (std::size_t r = 0; r < expected.size(); ++r) {
            ASSERT_EQ(grid.Rows()[r].address, expected[r].address) << "row " << r;
            ASSERT_EQ(grid.Rows()[r].mac, expected[r].mac) << "row " << r;
        }
    }
}

}  // namespace
}  // namespace kestrove::test
