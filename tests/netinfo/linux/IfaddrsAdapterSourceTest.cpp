#include "netinfo/linux/IfaddrsAdapterSource.h"

#include <gtest/gtest.h>

#include "netinfo/OwnAdapters.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"

namespace kestrove {
namespace {

using test::Ip;

class IfaddrsAdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        ns = std::make_unique<test::NetNamespace>("adapters");
        far = std::make_unique<test::NetNamespace>("adapters-far");
    }

    std::vector<AdapterRecord> ReadInside(AdapterQueryStatus expected = AdapterQueryStatus::Ok) {
        test::ScopedNetnsEnter inside(*ns);
        std::vector<AdapterRecord> adapters;
        EXPECT_EQ(IfaddrsAdapterSource().Read(adapters), expected);
        return adapters;
    }

    // An interface of our namespace whose veth peer lives in another, out of the list.
    void AddLink(const std::string& name, const std::string& mac) {
        ns->Ip({"link", "add", name, "address", mac, "type", "veth", "peer", "name", name, "netns",
                far->Name()});
        ns->Ip({"link", "set", name, "up"});
    }

    std::unique_ptr<test::NetNamespace> ns;
    std::unique_ptr<test::NetNamespace> far;
};

TEST_F(IfaddrsAdapterTest, OnlyLoopbackMeansNoAdapter) {
    EXPECT_TRUE(ReadInside(AdapterQueryStatus::NoAdapter).empty());
}

TEST_F(IfaddrsAdapterTest, VethAdapterGivesMacFirstAddressAndMask) {
    ns->Ip({"link", "add", "veth0", "address", "02:00:00:00:00:0a", "type", "veth", "peer", "name",
            "veth1", "address", "02:00:00:00:00:0b"});
    ns->Ip({"addr", "add", "10.200.0.10/24", "dev", "veth0"});
    ns->Ip({"addr", "add", "10.200.0.11/24", "dev", "veth0"});
    ns->Ip({"addr", "add", "172.16.5.10/16", "dev", "veth0"});
    auto adapters = ReadInside();
    // No default route: by interface index, and the peer (made first) has the lower one.
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(FormatMac(adapters[0].mac), "02-00-00-00-00-0B");
    EXPECT_EQ(adapters[0].ipAddress, "0.0.0.0");
    EXPECT_EQ(adapters[0].ipMask, "0.0.0.0");
    EXPECT_EQ(adapters[1].description, "veth0 (veth)");
    EXPECT_EQ(FormatMac(adapters[1].mac), "02-00-00-00-00-0A");
    EXPECT_EQ(adapters[1].ipAddress, "10.200.0.10");
    EXPECT_EQ(adapters[1].ipMask, "255.255.255.0");
}

TEST_F(IfaddrsAdapterTest, DefaultRouteInterfaceComesFirst) {
    AddLink("d0", "02:00:00:00:00:d0");
    AddLink("d1", "02:00:00:00:00:d1");
    AddLink("d2", "02:00:00:00:00:d2");
    ns->Ip({"addr", "add", "10.1.0.2/24", "dev", "d0"});
    ns->Ip({"addr", "add", "10.2.0.2/16", "dev", "d1"});
    auto adapters = ReadInside();
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].description.substr(0, 2), "d0");

    ns->Ip({"route", "add", "default", "via", "10.2.0.1", "dev", "d1"});
    adapters = ReadInside();
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(FormatMac(adapters[0].mac), "02-00-00-00-00-D1");
    EXPECT_EQ(adapters[0].ipMask, "255.255.0.0");
    EXPECT_EQ(FormatMac(adapters[1].mac), "02-00-00-00-00-D0");
    EXPECT_EQ(FormatMac(adapters[2].mac), "02-00-00-00-00-D2");
}

TEST_F(IfaddrsAdapterTest, OwnAdaptersFromTheKernelSetTheWatchedSubnet) {
    AddLink("d0", "02:00:00:00:00:0a");
    ns->Ip({"addr", "add", "10.200.0.10/24", "dev", "d0"});
    IfaddrsAdapterSource source;
    OwnAdapters own(source);
    {
        test::ScopedNetnsEnter inside(*ns);
        own.GetOwnAdapters(nullptr);
    }
    EXPECT_EQ(own.AdapterMax, 0);
    EXPECT_EQ(own.OwnMacList[0], "02-00-00-00-00-0A");
    EXPECT_EQ(own.OwnIpList[0], "10.200.0.10");
    EXPECT_EQ(own.OwnMaskList[0], "255.255.255.0");
    EXPECT_EQ(own.OwnDescList[0].substr(0, 2), "d0");
    EXPECT_EQ(own.WatchIP, Ip("10.200.0.10"));
    EXPECT_EQ(own.WatchMask, Ip("255.255.255.0"));
    EXPECT_TRUE(own.InWatchedSubnet(Ip("10.200.0.1")));
}

}  // namespace
}  // namespace kestrove
