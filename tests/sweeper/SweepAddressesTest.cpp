#include "sweeper/SweepAddresses.h"

#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using test::Ip;

// The addresses from `first` to `last` inclusive, in order.
std::vector<Ipv4> Range(std::string_view first, std::string_view last) {
    std::vector<Ipv4> range;
    for (Ipv4 a = Ip(first); a <= Ip(last); ++a) {
        range.push_back(a);
    }
    return range;
}

TEST(SweepAddressesTest, Slash24SweepsTheWholeOwnBlockInOrder) {
    std::vector<Ipv4> list = SweepAddresses({{"192.168.1.20", "255.255.255.0"}});
    EXPECT_EQ(list, Range("192.168.1.0", "192.168.1.255"));
}

TEST(SweepAddressesTest, WiderMasksStayInsideTheOwnSlash24) {
    // The private ranges the old rules got wrong: 172 swept other blocks, 10 nothing at all.
    EXPECT_EQ(SweepAddresses({{"172.20.5.9", "255.255.0.0"}}), Range("172.20.5.0", "172.20.5.255"));
    EXPECT_EQ(SweepAddresses({{"10.1.2.3", "255.0.0.0"}}), Range("10.1.2.0", "10.1.2.255"));
    EXPECT_EQ(SweepAddresses({{"10.1.2.3", "0.0.0.0"}}), Range("10.1.2.0", "10.1.2.255"));
}

TEST(SweepAddressesTest, NarrowMaskSweepsOnlyTheSubnet) {
    EXPECT_EQ(SweepAddresses({{"192.168.1.37", "255.255.255.240"}}),
              Range("192.168.1.32", "192.168.1.47"));
    EXPECT_EQ(SweepAddresses({{"192.168.1.37", "255.255.255.252"}}),
              Range("192.168.1.36", "192.168.1.39"));
    EXPECT_EQ(SweepAddresses({{"192.168.1.37", "255.255.255.255"}}),
              Range("192.168.1.37", "192.168.1.37"));
}

TEST(SweepAddressesTest, OwnAddressIsSweptInItsPlace) {
    std::vector<Ipv4> list = SweepAddresses({{"192.168.7.128", "255.255.255.0"}});
    ASSERT_EQ(list.size(), 256u);
    EXPECT_EQ(list[127], Ip("192.168.7.127"));
    EXPECT_EQ(list[128], Ip("192.168.7.128"));
    EXPECT_EQ(list[129], Ip("192.168.7.129"));
}

TEST(SweepAddressesTest, AdaptersWithoutAUsableAddressAreSkipped) {
    EXPECT_TRUE(SweepAddresses({{"0.0.0.0", "0.0.0.0"}}).empty());
    EXPECT_TRUE(SweepAddresses({{"127.0.0.1", "255.0.0.0"}}).empty());
    EXPECT_TRUE(SweepAddresses({{"224.0.0.5", "255.255.255.0"}}).empty());
    EXPECT_TRUE(SweepAddresses({{"", ""}}).empty());
    EXPECT_TRUE(SweepAddresses({{"192.168.1.5", "garbage"}}).empty());
    EXPECT_TRUE(SweepAddresses({{"192.168.1", "255.255.255.0"}}).empty());
}

TEST(SweepAddressesTest, TwoAdaptersInAdapterOrder) {
    std::vector<Ipv4> list = SweepAddresses({{"192.168.2.7", "255.255.255.0"},
                                             {"0.0.0.0", "0.0.0.0"},
                                             {"192.168.1.5", "255.255.255.0"}});
    std::vector<Ipv4> expected = Range("192.168.2.0", "192.168.2.255");
    std::vector<Ipv4> second = Range("192.168.1.0", "192.168.1.255");
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(list, expected);
}

TEST(SweepAddressesTest, AnAddressIsSweptOncePerSweep) {
    std::vector<Ipv4> list =
        SweepAddresses({{"192.168.1.37", "255.255.255.240"}, {"192.168.1.200", "255.255.255.0"}});
    std::vector<Ipv4> expected = Range("192.168.1.32", "192.168.1.47");
    std::vector<Ipv4> rest = Range("192.168.1.0", "192.168.1.31");
    expected.insert(expected.end(), rest.begin(), rest.end());
    rest = Range("192.168.1.48", "192.168.1.255");
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(list, expected);
}

TEST(SweepAddressesTest, ReadsTheAdaptersFoundAtStart) {
    test::FakeAdapters source;
    source.Add("eth0", "00-AA-BB-CC-DD-0E", "10.0.0.9", "255.255.255.248");
    source.Add("wlan0", "00-AA-BB-CC-DD-0F", "0.0.0.0", "0.0.0.0");
    OwnAdapters own(source);
    own.GetOwnAdapters(nullptr);
    EXPECT_EQ(SweepAddresses(own), Range("10.0.0.8", "10.0.0.15"));

    test::FakeAdapters none;
    none.status = AdapterQueryStatus::NoAdapter;
    OwnAdapters empty(none);
    empty.GetOwnAdapters(nullptr);
    EXPECT_TRUE(SweepAddresses(empty).empty());
}

}  // namespace
}  // namespace kestrove
