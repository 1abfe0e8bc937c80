#include "netinfo/HostNameLookup.h"

#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using test::Ip;

class HostNameLookupTest : public ::testing::Test {
protected:
    test::FakeResolver resolver;
    HostNameLookup lookup{resolver};
};

TEST_F(HostNameLookupTest, PaddedAndPlainAddressesGetTheWholeName) {
    resolver.names[Ip("192.168.1.5")] = "pc01";
    resolver.names[Ip("10.0.0.1")] = "fifteen-bytes.x";
    resolver.names[Ip("10.0.0.2")] = "a-much-longer-host-name.branch.example.co.jp";
    EXPECT_EQ(lookup.GetHostNameByIP("192.168.  1.  5"), "pc01");
    EXPECT_EQ(lookup.GetHostNameByIP("192.168.1.5"), "pc01");
    EXPECT_EQ(lookup.GetHostNameByIP("10.0.0.1"), "fifteen-bytes.x");
    EXPECT_EQ(lookup.GetHostNameByIP("10.0.0.2"), "a-much-longer-host-name.branch.example.co.jp");
    EXPECT_FALSE(lookup.NoHostLookup());
}

TEST_F(HostNameLookupTest, FirstEmptyAnswerTurnsLookupsOffForTheRun) {
    resolver.names[Ip("192.168.1.5")] = "pc01";
    EXPECT_EQ(lookup.GetHostNameByIP("192.168.  1.  9"), "");
    EXPECT_TRUE(lookup.NoHostLookup());
    EXPECT_EQ(lookup.GetHostNameByIP("192.168.  1.  5"), "");
    EXPECT_EQ(resolver.lookups, 1) << "no network use once lookups are off";
}

TEST_F(HostNameLookupTest, HostileNamesCannotBreakALine) {
    resolver.names[Ip("10.0.0.1")] = "evil\r\n2007/01/01 00:00:00\tfake\x1b[0m";
    std::string name = lookup.GetHostNameByIP("10.0.0.1");
    EXPECT_EQ(name.find_first_of("\r\n\t\x1b"), std::string::npos);
    EXPECT_EQ(name, "evil??2007/01/01 00:00:00?fake?[0m");
    EXPECT_EQ(SanitizeHostName(std::string("a\0b", 3)), "a");
}

TEST_F(HostNameLookupTest, UnparsableAddressIsAnEmptyAnswer) {
    EXPECT_EQ(lookup.GetHostNameByIP("not an address"), "");
    EXPECT_EQ(resolver.lookups, 0);
    EXPECT_TRUE(lookup.NoHostLookup());
}

}  // namespace
}  // namespace kestrove
