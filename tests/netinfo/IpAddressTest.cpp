#include "netinfo/IpAddress.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

std::string Canonical(std::string_view text) {
    IpAddress a;
    if (!ParseIp(text, a)) {
        return "(invalid)";
    }
    return FormatIp(a);
}

TEST(IpAddressTest, Ipv6IsWrittenInItsOneCanonicalForm) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        // Leading zeros dropped, lower case.
        {"2001:0DB8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
        // The longest run of zero groups is compressed, the first of two equal ones.
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},
        // A single zero group is not compressed.
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        {"fe80::0200:00ff:fe00:000a", "fe80::200:ff:fe00:a"},
        {"::", "::"},
        {"::1", "::1"},
        {"1::", "1::"},
        {"1:2:3:4:5:6:7::", "1:2:3:4:5:6:7:0"},
        // An IPv4-mapped address keeps its IPv4 part dotted.
        {"::ffff:c000:0201", "::ffff:192.0.2.1"},
        {"::FFFF:192.0.2.1", "::ffff:192.0.2.1"},
        {"192.0.2.1", "192.0.2.1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Canonical(c.in), c.out) << c.in;
    }
}

TEST(IpAddressTest, MalformedTextIsRefused) {
    for (const char* bad :
         {"", ":", ":::", "1:2", "1::2::3", "12345::", "g::1", "1:2:3:4:5:6:7:8:9",
          "1::2:3:4:5:6:7:8", "fe80::1%eth0", "::1.2.3", "1.2.3.4::", "::1.2.3.4.5", "256.1.1.1",
          "1:2:3:4:5:6:1.2.3.4:5", ":1::"}) {
        EXPECT_EQ(Canonical(bad), "(invalid)") << bad;
    }
}

TEST(IpAddressTest, OrderIsNumericAndFamiliesStayApart) {
    IpAddress a, b, v4;
    ASSERT_TRUE(ParseIp("2001:db8::2", a));
    ASSERT_TRUE(ParseIp("2001:db8::10", b));
    ASSERT_TRUE(ParseIp("10.0.0.1", v4));
    EXPECT_LT(a, b);
    EXPECT_TRUE(v4.IsV4());
    EXPECT_EQ(v4.V4(), MakeIpv4(10, 0, 0, 1));
    EXPECT_NE(IpAddressHash{}(a), IpAddressHash{}(b));
    IpAddress linkLocal;
    ASSERT_TRUE(ParseIp("febf::1", linkLocal));
    EXPECT_TRUE(linkLocal.IsLinkLocal());
    ASSERT_TRUE(ParseIp("fec0::1", linkLocal));
    EXPECT_FALSE(linkLocal.IsLinkLocal());
}

}  // namespace
}  // namespace kestrove
