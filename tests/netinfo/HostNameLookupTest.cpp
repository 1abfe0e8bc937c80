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

TEST(SanitizeHostName, KeepsOnlyWhatAHostNameMayHold) {
    const std::string longest(253, 'a');
    struct Case {
        std::string raw;
        std::string kept;
    };
    const Case cases[] = {
        {"pc-01.branch_x.example.CO.jp", "pc-01.branch_x.example.CO.jp"},
        // Forges a MAC pair inside the change alarm's "(address:name) old -> new".
        {"gw)_AA-BB-CC-DD-EE-FF_->_02-00-00-00-00-05", "gw_AA-BB-CC-DD-EE-FF_-_02-00-00-00-00-05"},
        {"evil\r\n2007/01/01 00:00:00\tfake\x1b[0m", "evil20070101000000fake0m"},
        {"<b>x</b>&amp;\"'", "bxbamp"},
        {"a b:c(d)", "abcd"},
        {"\xe5\x90\x8d\xe5\x89\x8d.example", ".example"},
        {std::string("a\0b", 3), "a"},
        {longest + "bcd", longest},
        {"()>:", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SanitizeHostName(c.raw), c.kept) << c.raw;
    }
}

TEST_F(HostNameLookupTest, NameWithNothingLeftCountsAsNoName) {
    resolver.names[Ip("10.0.0.1")] = "gw)_02-00-00-00-00-05";
    resolver.names[Ip("10.0.0.2")] = "():> ";
    EXPECT_EQ(lookup.GetHostNameByIP("10.0.0.1"), "gw_02-00-00-00-00-05");
    EXPECT_FALSE(lookup.NoHostLookup());
    EXPECT_EQ(lookup.GetHostNameByIP("10.0.0.2"), "");
    EXPECT_TRUE(lookup.NoHostLookup());
}

TEST_F(HostNameLookupTest, UnparsableAddressIsAnEmptyAnswer) {
    EXPECT_EQ(lookup.GetHostNameByIP("not an address"), "");
    EXPECT_EQ(resolver.lookups, 0);
    EXPECT_TRUE(lookup.NoHostLookup());
}

}  // namespace
}  // namespace kestrove
