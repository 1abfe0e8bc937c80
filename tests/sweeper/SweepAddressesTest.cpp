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

std::vector<Ipv4> Join(std::initializer_list<std::vector<Ipv4>> parts) {
    std::vector<Ipv4> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(SweepAddressesTest, OneAdapterSweepsItsSubnetInOrderButNeverBeyondItsOwnSlash24) {
    struct Case {
        const char* ip;
        const char* mask;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {"192.168.1.20", "255.255.255.0", "192.168.1.0", "192.168.1.255"},
        // The own address is swept in its place.
        {"192.168.7.128", "255.255.255.0", "192.168.7.0", "192.168.7.255"},
        // The private ranges the old rules got wrong: 172 swept other blocks, 10 nothing at all.
        {"172.20.5.9", "255.255.0.0", "172.20.5.0", "172.20.5.255"},
        {"10.1.2.3", "255.0.0.0", "10.1.2.0", "10.1.2.255"},
        {"10.1.2.3", "0.0.0.0", "10.1.2.0", "10.1.2.255"},
        {"192.168.1.37", "255.255.255.240", "192.168.1.32", "192.168.1.47"},
        {"192.168.1.37", "255.255.255.252", "192.168.1.36", "192.168.1.39"},
        {"192.168.1.37", "255.255.255.255", "192.168.1.37", "192.168.1.37"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SweepAddresses({{c.ip, c.mask}}), Range(c.first, c.last))
            << c.ip << " " << c.mask;
    }
}

TEST(SweepAddressesTest, AdaptersWithoutAUsableAddressAreSkipped) {
    const std::pair<const char*, const char*> unusable[] = {
        {"0.0.0.0", "0.0.0.0"},         {"127.0.0.1", "255.0.0.0"},
        {"224.0.0.5", "255.255.255.0"}, {"", ""},
        {"192.168.1.5", "garbage"},     {"192.168.1", "255.255.255.0"},
    };
    for (const auto& [ip, mask] : unusable) {
        EXPECT_TRUE(SweepAddresses({{ip, mask}}).empty()) << ip << " " << mask;
    }
}

TEST(SweepAddressesTest, SeveralAdaptersInAdapterOrderWithEveryAddressOncePerSweep) {
    EXPECT_EQ(SweepAddresses({{"192.168.2.7", "255.255.255.0"},
                              {"0.0.0.0", "0.0.0.0"},
                              {"192.168.1.5", "255.255.255.0"}}),
              Join({Range("192.168.2.0", "192.168.2.255"), Range("192.168.1.0", "192.168.1.255")}));
    EXPECT_EQ(
        SweepAddresses({{"192.168.1.37", "255.255.255.240"}, {"192.168.1.200", "255.255.255.0"}}),
        Join({Range("192.168.1.32", "192.168.1.47"), Range("192.168.1.0", "192.168.1.31"),
              Range("192.168.1.48", "192.168.1.255")}));
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
