#include "netinfo/PolledNetworkStateSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

IpAddress A(const char* text) {
    IpAddress a;
    EXPECT_TRUE(ParseIp(text, a)) << text;
    return a;
}

TEST(PolledNetworkStateSourceTest, WhatDiffersFromTheLastReadIsToldAsNotificationsWouldTellIt) {
    NetworkSnapshot table;
    bool readable = true;
    PolledNetworkStateSource source(
        [&](NetworkSnapshot& s) {
            s = table;
            return readable;
        },
        std::chrono::milliseconds(50));
    Neighbour6 router{A("fe80::1"), test::Mac("02-00-00-00-00-01"), 2, 2, true, false};
    Route v4;
    v4.gateway = A("10.0.0.1");
    v4.interfaceIndex = 2;
    table.neighbours = {router};
    table.routes = {v4};

    NetworkSnapshot dumped;
    ASSERT_TRUE(source.Dump(dumped));
    EXPECT_EQ(dumped.neighbours.size(), 1u);
    std::vector<NetworkChange> changes;
    source.Read(changes);
    EXPECT_TRUE(changes.empty()) << "the same tables again";

    // The router forged, the route replaced, an address added.
    Neighbour6 forged = router;
    forged.mac = test::Mac("02-00-00-00-00-66");
    forged.router = false;
    Route other = v4;
    other.gateway = A("10.0.0.66");
    OwnAddress own{A("2001:db8::a"), 64, 2, true, false, false};
    table.neighbours = {forged};
    table.routes = {other};
    table.addresses = {own};
    source.Read(changes);
    ASSERT_EQ(changes.size(), 4u);
    // A neighbour with a new MAC is no removal; the old route's removal comes before the new.
    EXPECT_EQ(std::get<Neighbour6>(changes[0]), forged);
    EXPECT_TRUE(std::get<Route>(changes[1]).removed);
    EXPECT_EQ(std::get<Route>(changes[2]), other);
    EXPECT_EQ(std::get<OwnAddress>(changes[3]), own);

    // A failed read tells nothing and the next compares with the last good one.
    changes.clear();
    readable = false;
    table.addresses.clear();
    source.Read(changes);
    EXPECT_TRUE(changes.empty());
    readable = true;
    source.Read(changes);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(std::get<OwnAddress>(changes[0]).removed);
}

TEST(PolledNetworkStateSourceTest, LargeNeighbourTableToldPreciselyInAnyOrder) {
    // A LAN's worth of IPv6 neighbours, read back in another order with one forged, one gone
    // and one new: exactly those three are told.
    NetworkSnapshot table;
    for (int i = 0; i < 5000; ++i) {
        std::string text = "fe80::" + std::to_string(i + 1);
        table.neighbours.push_back(
            {A(text.c_str()), test::Mac("02-00-00-00-00-01"), 2, 2, false, false});
    }
    PolledNetworkStateSource source(
        [&](NetworkSnapshot& s) {
            s = table;
            return true;
        },
        std::chrono::milliseconds(50));
    NetworkSnapshot dumped;
    ASSERT_TRUE(source.Dump(dumped));

    std::reverse(table.neighbours.begin(), table.neighbours.end());
    table.neighbours[10].mac = test::Mac("02-00-00-00-00-66");
    Neighbour6 forged = table.neighbours[10];
    Neighbour6 gone = table.neighbours[20];
    table.neighbours.erase(table.neighbours.begin() + 20);
    Neighbour6 fresh{A("fe80::beef"), test::Mac("02-00-00-00-00-02"), 2, 2, false, false};
    table.neighbours.push_back(fresh);
    std::vector<NetworkChange> changes;
    source.Read(changes);
    ASSERT_EQ(changes.size(), 3u);
    gone.removed = true;
    EXPECT_EQ(std::get<Neighbour6>(changes[0]), gone);
    EXPECT_EQ(std::get<Neighbour6>(changes[1]), forged);
    EXPECT_EQ(std::get<Neighbour6>(changes[2]), fresh);
}

}  // namespace
}  // namespace kestrove
