#include "monitor/app/AdapterChoice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "monitor/settings/IniFile.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;

class AdapterChoiceTest : public ::testing::Test {
protected:
    AdapterChoiceTest() {
        source.Add("eth0", "02-00-00-00-00-01", "192.168.1.5", "255.255.255.0");
        source.Add("eth1", "02-00-00-00-00-02", "10.1.0.7", "255.255.0.0");
        source.Add("wlan0", "02-00-00-00-00-03", "172.16.3.9", "255.255.255.0");
        adapters.GetOwnAdapters(&ini);
    }
    TempFolder dir;
    IniFile ini = IniFile::InFolder(dir.Path());
    FakeAdapters source;
    OwnAdapters adapters{source};
    AdapterChoice choice{ini, adapters};
};

TEST_F(AdapterChoiceTest, FirstOpeningListsAdaptersAndKeepsTheWatchedSubnet) {
    AdapterChoice::Shown shown = choice.Form_Load();
    EXPECT_THAT(shown.names, ElementsAre("eth0", "eth1", "wlan0"));
    EXPECT_EQ(shown.name, "");
    EXPECT_EQ(adapters.WatchIP, Ip("192.168.1.5")) << "no remembered pick: nothing changes";
    EXPECT_EQ(adapters.WatchMask, Ip("255.255.255.0"));
}

TEST_F(AdapterChoiceTest, PickingSwitchesTheSubnetAndIsRemembered) {
    choice.Form_Load();
    AdapterChoice::Shown shown = choice.cboCard_Click(1, "eth1");
    EXPECT_EQ(shown.ip, "10.1.0.7");
    EXPECT_EQ(shown.mac, "02-00-00-00-00-02");
    EXPECT_EQ(shown.subnet, "255.255.0.0");
    EXPECT_EQ(adapters.WatchIP, Ip("10.1.0.7"));
    EXPECT_EQ(adapters.WatchMask, Ip("255.255.0.0"));
    EXPECT_EQ(ini.ReadIni("NIC_Current", "NIC_Name"), "eth1");
    EXPECT_EQ(ini.ReadIni("NIC_Current", "IP_Addr"), "10.1.0.7");

    adapters.GetOwnAdapters(&ini);  // the next start watches the first adapter again
    EXPECT_EQ(adapters.WatchIP, Ip("192.168.1.5"));
    shown = choice.Form_Load();
    EXPECT_EQ(shown.name, "eth1") << "reopening shows the last pick";
    EXPECT_EQ(adapters.WatchIP, Ip("10.1.0.7"));
}

TEST_F(AdapterChoiceTest, AGapHidesLaterAdaptersAndDamagedValuesChangeNothing) {
    ini.DeleteIniSection("NIC1");
    EXPECT_THAT(choice.Form_Load().names, ElementsAre("eth0"));
    ini.WriteIni("NIC_Current", "IP_Addr", "10.x");
    ini.WriteIni("NIC_Current", "SubnetMask", "255.255.255.0");
    choice.Form_Load();
    EXPECT_EQ(adapters.WatchIP, Ip("192.168.1.5"));
    choice.cboCard_Click(9, "bogus");
    EXPECT_EQ(ini.ReadIni("NIC_Current", "NIC_Name"), "");
}

}  // namespace
}  // namespace kestrove::test
