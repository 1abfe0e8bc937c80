#include "netinfo/OwnAdapters.h"

#include <gtest/gtest.h>

#include "monitor/settings/IniFile.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using test::Ip;

class OwnAdaptersTest : public ::testing::Test {
protected:
    test::TempFolder dir;
    IniFile ini = IniFile::InFolder(dir.Path());
    test::FakeAdapters source;
    OwnAdapters own{source};
};

TEST_F(OwnAdaptersTest, OneAdapterFillsListsSubnetAndItsSection) {
    source.Add("eth0", "00-AA-BB-CC-DD-0E", "192.168.1.5", "255.255.255.0");
    for (int n = 0; n < 6; ++n) {
        ini.WriteIni("NIC" + std::to_string(n), "NIC_Name", "stale");
    }
    own.GetOwnAdapters(&ini);
    EXPECT_EQ(own.AdapterMax, 0);
    EXPECT_EQ(own.OwnMacList[0], "00-AA-BB-CC-DD-0E");
    EXPECT_EQ(own.OwnIpList[0], "192.168.1.5");
    EXPECT_EQ(own.WatchIP, Ip("192.168.1.5"));
    EXPECT_EQ(own.WatchMask, Ip("255.255.255.0"));
    EXPECT_EQ(ini.ReadIni("NIC0", "NIC_Name"), "eth0");
    EXPECT_EQ(ini.ReadIni("NIC0", "MAC_Addr"), "00-AA-BB-CC-DD-0E");
    EXPECT_EQ(ini.ReadIni("NIC0", "IP_Addr"), "192.168.1.5");
    EXPECT_EQ(ini.ReadIni("NIC0", "SubnetMask"), "255.255.255.0");
    for (int n = 1; n < 6; ++n) {
        EXPECT_EQ(ini.ReadIni("NIC" + std::to_string(n), "NIC_Name"), "") << n;
    }
    EXPECT_EQ(test::ReadFile(ini.Path()),
              "[NIC0]\r\nNIC_Name=eth0\r\nMAC_Addr=00-AA-BB-CC-DD-0E\r\nIP_Addr=192.168.1.5\r\n"
              "SubnetMask=255.255.255.0\r\n");
}

TEST_F(OwnAdaptersTest, SweeperVariantWritesNothingAndItsSubnetTestMasksEveryOctet) {
    source.Add("eth0", "00-AA-BB-CC-DD-0E", "192.168.1.5", "255.255.255.0");
    own.GetOwnAdapters(nullptr);
    EXPECT_FALSE(std::filesystem::exists(ini.Path()));
    EXPECT_EQ(own.OwnMacList[0], "00-AA-BB-CC-DD-0E");
    EXPECT_TRUE(own.InWatchedSubnet(Ip("192.168.1.200")));
    EXPECT_FALSE(own.InWatchedSubnet(Ip("192.168.2.1")));
    EXPECT_FALSE(own.InWatchedSubnet(Ip("10.168.1.5")));
}

TEST_F(OwnAdaptersTest, AdapterWithoutAddressWatchesEverything) {
    source.Add("eth0", "00-AA-BB-CC-DD-0E", "0.0.0.0", "0.0.0.0");
    own.GetOwnAdapters(&ini);
    EXPECT_EQ(own.WatchMask, 0u);
    EXPECT_TRUE(own.InWatchedSubnet(Ip("8.8.8.8")));
}

TEST_F(OwnAdaptersTest, ErrorsLeaveListsEmptyAndReturnTheirTexts) {
    struct Case {
        AdapterQueryStatus status;
        const char* text;
    };
    for (Case c : {Case{AdapterQueryStatus::NotSupported, "Not supported"},
                   Case{AdapterQueryStatus::InvalidParameter, "Invalid parameter"},
                   Case{AdapterQueryStatus::NoAdapter, "No adapter"},
                   Case{AdapterQueryStatus::Failed, ""}}) {
        source.status = c.status;
        EXPECT_EQ(own.ReadAdapterList(), c.text);
        own.GetOwnAdapters(&ini);
        EXPECT_EQ(own.OwnMacList[0], "");
    }
    source.status = AdapterQueryStatus::Ok;
    EXPECT_EQ(own.ReadAdapterList(), "No adapter") << "an empty list is no adapter";
}

TEST_F(OwnAdaptersTest, SixAdaptersAtMostInPlatformOrder) {
    for (int i = 0; i < 8; ++i) {
        source.Add("nic" + std::to_string(i), "02-00-00-00-00-0" + std::to_string(i),
                   "10.0." + std::to_string(i) + ".1", "255.255.255.0");
    }
    EXPECT_EQ(own.ReadAdapterList(), "5");
    own.GetOwnAdapters(&ini);
    EXPECT_EQ(own.AdapterMax, 5);
    EXPECT_EQ(own.OwnDescList[5], "nic5");
    EXPECT_EQ(ini.ReadIni("NIC5", "NIC_Name"), "nic5");
    EXPECT_EQ(own.WatchIP, Ip("10.0.0.1"));
}

}  // namespace
}  // namespace kestrove
