#include <gtest/gtest.h>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"
#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using test::Ip;
using test::Mac;

TEST(MacText, UpperCaseHexPairsJoinedByDashes) {
    const std::uint8_t six[] = {0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x0E};
    EXPECT_EQ(FormatMac(six, 6), "00-AA-BB-CC-DD-0E");
    EXPECT_EQ(FormatMac(six, 0), "");
    EXPECT_EQ(FormatMac(six, 1), "00");
    const std::uint8_t nine[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(FormatMac(nine, 9), "01-02-03-04-05-06-07-08") << "at most 8 bytes";
}

TEST(MacText, UnresolvedIsTheZeroMacOrNoAddress) {
    EXPECT_TRUE(Mac("00-00-00-00-00-00").IsUnresolved());
    EXPECT_TRUE(MacAddress{}.IsUnresolved());
    EXPECT_FALSE(Mac("00-00-00-00-00-01").IsUnresolved());
    EXPECT_FALSE(Mac("00-00-00-00-00-00-00-00").IsUnresolved());
    EXPECT_EQ(FormatMac(Mac("00-00-00-00-00-00")), kZeroMacText);
}

TEST(MacText, HexByte2PadsOneDigit) {
    EXPECT_EQ(HexByte2("E"), "0E");
    EXPECT_EQ(HexByte2("AB"), "AB");
    EXPECT_EQ(HexByte2(""), "00");
}

TEST(AddressText, PaddedFormSortsLikeNumbers) {
    EXPECT_EQ(FormatAddressText(Ip("192.168.1.5")), "192.168.  1.  5");
    EXPECT_EQ(FormatAddressText(Ip("10.0.0.12")), " 10.  0.  0. 12");
    EXPECT_EQ(FormatAddressText(Ip("255.255.255.255")), "255.255.255.255");
    EXPECT_LT(FormatAddressText(Ip("192.168.1.5")), FormatAddressText(Ip("192.168.1.10")));
    EXPECT_EQ(FormatDotted(Ip("10.200.0.1")), "10.200.0.1");
}

TEST(AddressText, OctetSplitIsLenientAndStrictParseIsStrict) {
    EXPECT_EQ(SplitOctets("255.255.255.0"), Ip("255.255.255.0"));
    EXPECT_EQ(SplitOctets(""), 0u);
    EXPECT_EQ(SplitOctets("10.1"), Ip("10.1.0.0"));
    EXPECT_EQ(SplitOctets("300.x.2.3"), Ip("255.0.2.3"));
    EXPECT_EQ(SplitOctets("192.168.  1.  5"), Ip("192.168.1.5"));

    Ipv4 a = 0;
    EXPECT_TRUE(ParseDotted("192.168.1.5", a));
    EXPECT_EQ(a, MakeIpv4(192, 168, 1, 5));
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.4 "}) {
        EXPECT_FALSE(ParseDotted(bad, a)) << bad;
    }
}

}  // namespace
}  // namespace kestrove
