#include "netinfo/linux/GetnameinfoResolver.h"

#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"

namespace kestrove {
namespace {

using test::Ip;

// Run in a namespace of our own with nothing but loopback: should the resolver go past the
// hosts file, no query can leave the machine.
TEST(GetnameinfoResolver, NamesFromTheHostsFileAndNothingForUnknownAddresses) {
    KESTROVE_REQUIRE_ROOT();
    test::NetNamespace ns("resolver");
    test::ScopedNetnsEnter inside(ns);
    GetnameinfoResolver resolver;
    auto name = resolver.ReverseLookup(Ip("127.0.0.1"));
    ASSERT_TRUE(name.has_value());
    EXPECT_NE(*name, "127.0.0.1") << "the dotted text is no name";
    EXPECT_FALSE(name->empty());
    EXPECT_EQ(resolver.ReverseLookup(Ip("10.200.0.99")), std::nullopt);
}

}  // namespace
}  // namespace kestrove
