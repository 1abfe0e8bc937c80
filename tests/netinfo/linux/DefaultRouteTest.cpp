#include "netinfo/linux/DefaultRoute.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

constexpr const char* kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST(DefaultRoute, LowestMetricDefaultRouteThatIsUpWins) {
    std::string table = std::string(kHeader) +
                        "eth0\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                        "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                        "eth1\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "down0\t00000000\t0102A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                        "eth2\t00000000\t0103A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n";
    EXPECT_EQ(DefaultRouteInterface(table), "eth1");
}

TEST(DefaultRoute, NoDefaultRouteOrUnreadableTextGivesNoInterface) {
    EXPECT_EQ(DefaultRouteInterface(""), "");
    EXPECT_EQ(DefaultRouteInterface(kHeader), "");
    EXPECT_EQ(DefaultRouteInterface(std::string(kHeader) +
                                    "eth0\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"),
              "");
    EXPECT_EQ(DefaultRouteInterface("eth0\t00000000\tzz\n\n\t\t\n"), "");
    EXPECT_EQ(DefaultRouteInterface("eth0 00000000 0 0003 0 0 1x 00000000"), "");
}

TEST(DefaultRoute, GatewaysOfDefaultRoutesThatAreUpComeLowestMetricFirst) {
    std::string table = std::string(kHeader) +
                        "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                        "eth1\t00000000\t0100C80A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "down0\t00000000\t0102A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                        "ppp0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\t0\t0\n"
                        "bad0\t00000000\t1FFFFFFFF\t0003\t0\t0\t700\t00000000\t0\t0\t0\n";
    EXPECT_EQ(DefaultRouteGateways(table),
              (std::vector<Ipv4>{MakeIpv4(10, 200, 0, 1), MakeIpv4(192, 168, 0, 1)}));
    EXPECT_EQ(DefaultRouteInterface(table), "ppp0");
}

}  // namespace
}  // namespace kestrove
