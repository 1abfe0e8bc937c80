#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../RememberingRun.h"
#include "../WatchFixture.h"
#include "monitor/watch/HostMemory.h"
#include "netinfo/linux/DefaultRoute.h"
#include "netinfo/linux/IfaddrsAdapterSource.h"
#include "netinfo/linux/NetlinkArpTableSource.h"
#include "testsupport/NetNamespace.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kVictimMac = "02:00:00:00:00:10";
const std::string kGatewayMac = "02:00:00:00:00:01";
const std::string kAttackerMac = "02:00:00:00:00:66";

// The victim of a LAN restarts its monitor again and again over one program folder: every
// run gets a fresh watch engine and host memory over the namespace's real neighbour table,
// default route and adapters, as a start of the program does.
class RememberedHostsKernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        lan = std::make_unique<TestLan>("remember");
        victim = &lan->AddHost("victim", kVictimMac, "10.200.0.10/24");
        gateway = &lan->AddHost("gateway", kGatewayMac, "10.200.0.1/24");
        attacker = &lan->AddHost("attacker", kAttackerMac, "10.200.0.66/24");
        victim->Ip({"route", "add", "default", "via", "10.200.0.1", "dev", "veth0"});
        {
            ScopedNetnsEnter inside(*victim);
            arp = std::make_unique<NetlinkArpTableSource>();
            adapters.GetOwnAdapters(&settings);
        }
        ASSERT_TRUE(arp->IsOpen());
        settings.WriteIni("Watch", "Change", "1");
        // Once poisoned, the gateway's address and the attacker's share a MAC: the duplicate
        // alarm the first scan of a run gives for that is not what these tests are about.
        settings.WriteIni("Watch", "Duplicate", "0");
        for (const char* ip : {"10.200.0.1", "10.200.0.66"}) {
            ASSERT_EQ(victim->Exec(std::string("ping -c1 -W1 ") + ip +
                                   " >/dev/null || ping -c1 -W2 " + ip + " >/dev/null"),
                      0)
                << ip;
        }
    }

    void TearDown() override { StopRun(); }

    void StartRun() {
        StopRun();
        std::vector<Ipv4> gateways;
        {
            ScopedNetnsEnter inside(*victim);
            gateways = ReadDefaultRouteGateways();
        }
        ASSERT_EQ(gateways, std::vector<Ipv4>{MakeIpv4(10, 200, 0, 1)});
        std::vector<ArpEntry> table;
        ASSERT_TRUE(arp->Read(table));
        run = std::make_unique<RememberingRun>(
            WatchServices{settings, log, *arp, adapters, hostNames, clock, timers, events},
            dir.Path(), gateways[0], table);
        engine = &run->engine;
        memory = &run->memory;
    }
    void StopRun() { run.reset(); }

    // What the victim's table says for the address now.
    std::string MacOf(Ipv4 address) {
        std::vector<ArpEntry> table;
        arp->Read(table);
        for (const ArpEntry& e : table) {
            if (e.address == address) {
                return FormatMac(e.mac);
            }
        }
        return "";
    }

    std::vector<std::string> List1() const { return engine->List1().Lines(); }

    std::unique_ptr<TestLan> lan;
    NetNamespace* victim = nullptr;
    NetNamespace* gateway = nullptr;
    NetNamespace* attacker = nullptr;

    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    std::unique_ptr<NetlinkArpTableSource> arp;
    IfaddrsAdapterSource adapterSource;
    OwnAdapters adapters{adapterSource};
    FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    FakeClock clock;
    FakeTimerFactory timers{clock};
    RecordingEvents events;
    std::unique_ptr<RememberingRun> run;
    WatchEngine* engine = nullptr;
    HostMemory* memory = nullptr;
};

TEST_F(RememberedHostsKernelTest, GatewayPoisonedWhileStoppedIsReportedAtTheFirstScanOfTheNextRun) {
    StartRun();
    engine->ScanArpTable();
    ASSERT_THAT(engine->List2().Lines(), ElementsAre("02-00-00-00-00-01 ( 10.200.  0.  1)",
                                                     "02-00-00-00-00-66 ( 10.200.  0. 66)"));
    StopRun();

    StartRun();
    engine->ScanArpTable();
    EXPECT_THAT(List1(), IsEmpty()) << "a restart without a change raises nothing";
    StopRun();

    // The real gateway goes quiet so that nothing undoes the poison; then the attacker claims
    // the gateway's address.
    gateway->Ip({"link", "set", "veth0", "down"});
    const Ipv4 gatewayIp = MakeIpv4(10, 200, 0, 1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (MacOf(gatewayIp) != "02-00-00-00-00-66" && std::chrono::steady_clock::now() < deadline) {
        SendArp(*attacker, "veth0", 1, kAttackerMac, "10.200.0.1", "00:00:00:00:00:00",
                "10.200.0.1");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(MacOf(gatewayIp), "02-00-00-00-00-66");

    StartRun();
    EXPECT_EQ(memory->Current().network.gateway, Mac("02-00-00-00-00-01"))
        << "the poisoned gateway still finds the network it poisons";
    engine->ScanArpTable();
    const std::string detail = "( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    EXPECT_THAT(List1(), ElementsAre(kStamp + "\tMACアドレスが変化しました", "  " + detail));
    EXPECT_THAT(ReadCp932Lines(log.Path()),
                ElementsAre(kStamp + "\tMACアドレスが変化しました\t" + detail));
    engine->ScanArpTable();
    EXPECT_EQ(List1().size(), 2u) << "one alarm";

    // The user accepts the network as it is now.
    engine->Command1_Click();
    memory->Forget();
    engine->ScanArpTable();
    StopRun();

    StartRun();
    engine->ScanArpTable();
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_EQ(ReadCp932Lines(log.Path()).size(), 1u);
}

}  // namespace
}  // namespace kestrove::test
