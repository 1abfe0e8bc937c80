#include "monitor/watch/HostMemory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "RememberingRun.h"
#include "WatchFixture.h"

namespace kestrove::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kGateway = "192.168.1.1";
const std::string kGatewayMac = "00-11-22-33-44-55";
const std::string kAttackerMac = "00-11-22-33-44-66";

// One run of the monitor after another over the same folder: each run gets a fresh engine
// and host memory, as a restart does, while the ARP table and the clock go on.
class HostMemoryTest : public WatchFixture {
protected:
    HostMemoryTest() {
        WatchAdapter("192.168.1.10", "255.255.255.0");
        settings.WriteIni("Watch", "Change", "1");
        arp.Put(kGateway, kGatewayMac);
        arp.Put("192.168.1.20", "00-AA-BB-CC-DD-20");
        arp.Put("192.168.1.30", "00-AA-BB-CC-DD-30");
    }

    void StartRun() {
        EndRun();
        std::vector<ArpEntry> table;
        arp.Read(table);
        current = std::make_unique<RememberingRun>(
            WatchServices{settings, log, arp, adapters, hostNames, clock, timers, events},
            dir.Path(), Ip(kGateway), table);
        run = &current->engine;
        memory = &current->memory;
    }
    void EndRun() { current.reset(); }
    void RunScan() { run->ScanArpTable(); }
    std::vector<std::string> RunList1() const { return run->List1().Lines(); }

    std::unique_ptr<RememberingRun> current;
    WatchEngine* run = nullptr;
    HostMemory* memory = nullptr;
};

TEST_F(HostMemoryTest, ChangeWhileStoppedRaisesTheChangeAlarmAtFirstSightOnce) {
    StartRun();
    RunScan();
    EndRun();

    arp.Replace(kGateway, kAttackerMac);
    StartRun();
    RunScan();
    const std::string detail = "(192.168.  1.  1:) 00-11-22-33-44-55 -> 00-11-22-33-44-66";
    EXPECT_THAT(RunList1(), ElementsAre(kStamp + "\tMACアドレスが変化しました", "  " + detail));
    EXPECT_THAT(LogLines(), ElementsAre(kStamp + "\tMACアドレスが変化しました\t" + detail));
    EXPECT_EQ(events.immediateRequests, 1);
    // The host is listed as a first sight is, and recorded with what it shows now.
    EXPECT_THAT(run->List2().Lines(), Contains("00-11-22-33-44-66 (192.168.  1.  1)"));
    EXPECT_THAT(run->List1().Explanation(0), HasSubstr("の可能性があります"));
    EXPECT_EQ(run->List1().Explanation(0), run->List1().Explanation(1));
    RunScan();
    EXPECT_EQ(LogLines().size(), 1u);

    // A MAC that raised an alarm is not learnt on its own: the next run under it raises the
    // alarm again. The user's clear accepts it; then nothing.
    EndRun();
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), ElementsAre(kStamp + "\tMACアドレスが変化しました", "  " + detail));
    EXPECT_EQ(LogLines().size(), 2u);
    run->Command1_Click();
    memory->Forget();
    RunScan();
    EndRun();
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty());
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(HostMemoryTest, AChangedMacBecomesTheRememberedOneAfterADayWithoutTheOldOne) {
    StartRun();
    RunScan();
    arp.Replace(kGateway, kAttackerMac);
    RunScan();
    EndRun();
    std::string saved = ReadFile(dir / "hosts.dat");
    EXPECT_THAT(saved, HasSubstr("00-11-22-33-44-55")) << "the old MAC stays remembered";
    EXPECT_THAT(saved, Not(HasSubstr("00-11-22-33-44-66")));

    StartRun();
    RunScan();
    clock.Advance(HostMemory::kDisputeAccepted + std::chrono::minutes(1));
    RunScan();
    EndRun();
    EXPECT_THAT(ReadFile(dir / "hosts.dat"), HasSubstr("192.168.1.1 00-11-22-33-44-66"));
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty());
}

// A host on several interfaces is listed more than once in one read: it is taken with its first
// MAC, the first MAC again settles a dispute the second raised, and only distinct addresses take
// the last places of a full table.
TEST_F(HostMemoryTest, AHostListedSeveralTimesInOneReadIsTakenOnceWithItsFirstMac) {
    StartRun();
    memory->Seen({{Ip("192.168.1.40"), Mac("02-00-00-00-00-41")},
                  {Ip("192.168.1.50"), Mac("02-00-00-00-00-50")},
                  {Ip("192.168.1.40"), Mac("02-00-00-00-00-42")},
                  {Ip("192.168.1.40"), Mac("02-00-00-00-00-41")}});
    ASSERT_EQ(memory->Current().hosts.Size(), 2u);
    EXPECT_EQ(memory->Remembered(Ip("192.168.1.40")), Mac("02-00-00-00-00-41"));
    // Gone for more than a day: a dispute left standing would now take the second MAC.
    clock.Advance(HostMemory::kDisputeAccepted + std::chrono::hours(1));
    memory->Seen({{Ip("192.168.1.50"), Mac("02-00-00-00-00-50")}});
    EXPECT_EQ(memory->Remembered(Ip("192.168.1.40")), Mac("02-00-00-00-00-41"));

    std::vector<ArpEntry> rows;
    for (Ipv4 i = 4; i < RememberedHosts::kMaxHostsPerNetwork; ++i) {
        rows.push_back({Ip("10.0.0.0") + i, Mac("02-00-00-00-AA-00")});
    }
    memory->Seen(rows);
    ASSERT_EQ(memory->Current().hosts.Size(), RememberedHosts::kMaxHostsPerNetwork - 2);
    memory->Seen({{Ip("11.0.0.1"), Mac("02-00-00-00-AA-01")},
                  {Ip("11.0.0.1"), Mac("02-00-00-00-AA-01")},
                  {Ip("11.0.0.2"), Mac("02-00-00-00-AA-02")},
                  {Ip("11.0.0.3"), Mac("02-00-00-00-AA-03")}});
    EXPECT_EQ(memory->Current().hosts.Size(), RememberedHosts::kMaxHostsPerNetwork);
    EXPECT_EQ(memory->Remembered(Ip("11.0.0.2")), Mac("02-00-00-00-AA-02"));
    EXPECT_EQ(memory->Remembered(Ip("11.0.0.3")), std::nullopt) << "no place left";
}

// An hour off: the old MAC was not seen, but nobody watched, so nothing speaks for a harmless
// readdressing; poisoning is named.
TEST_F(HostMemoryTest, AnAbsenceWhileStoppedIsNoEvidenceOfReaddressing) {
    StartRun();
    RunScan();
    EndRun();
    arp.Replace(kGateway, kAttackerMac);
    clock.Advance(std::chrono::hours(1));
    StartRun();
    RunScan();
    ASSERT_EQ(RunList1().size(), 2u);
    EXPECT_THAT(run->List1().Explanation(0), HasSubstr("ARPポイズニング"));
    EXPECT_THAT(run->List1().Explanation(0), Not(HasSubstr("割り当て直された")));
}

TEST_F(HostMemoryTest, ClearForgetsTheRememberedTable) {
    StartRun();
    RunScan();
    EndRun();
    arp.Replace("192.168.1.20", "00-AA-BB-CC-DD-21");
    StartRun();
    run->Command1_Click();
    memory->Forget();
    EndRun();
    arp.Replace("192.168.1.20", "00-AA-BB-CC-DD-22");
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty()) << "nothing was remembered since the clear";
    EXPECT_THAT(LogLines(), IsEmpty());
}

TEST_F(HostMemoryTest, SwitchedOffTheMonitorForgetsAsItAlwaysDid) {
    settings.WriteIni("Watch", "Remember", "0");
    StartRun();
    RunScan();
    EndRun();
    EXPECT_FALSE(std::filesystem::exists(dir / "hosts.dat"));
    arp.Replace(kGateway, kAttackerMac);
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty());
}

TEST_F(HostMemoryTest, AnotherNetworksTableIsNotApplied) {
    StartRun();
    RunScan();
    EndRun();

    // Same subnet, another gateway and no host in common: another network.
    arp.table.clear();
    arp.Put(kGateway, "00-CC-00-00-00-01");
    arp.Put("192.168.1.20", "00-CC-00-00-00-20");
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty());
    EndRun();

    // Both networks are kept; back home the home table applies again.
    std::optional<RememberedHosts> file = RememberedHosts::Parse(ReadFile(dir / "hosts.dat"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->tables.size(), 2u);
    arp.table.clear();
    arp.Put(kGateway, kGatewayMac);
    arp.Put("192.168.1.20", "00-AA-BB-CC-DD-29");
    StartRun();
    RunScan();
    EXPECT_THAT(RunList1(), Contains(HasSubstr("00-AA-BB-CC-DD-20 -> 00-AA-BB-CC-DD-29")));
}

TEST_F(HostMemoryTest, GatewayPoisonedBeforeTheStartStillFindsItsNetwork) {
    StartRun();
    RunScan();
    EndRun();
    // The gateway's MAC no longer matches, but the other hosts are still those remembered.
    arp.Replace(kGateway, kAttackerMac);
    StartRun();
    EXPECT_EQ(memory->Current().network.gateway, Mac(kGatewayMac)) << "the table keeps its id";
    RunScan();
    EXPECT_THAT(RunList1(), Contains(HasSubstr("00-11-22-33-44-55 -> 00-11-22-33-44-66")));
}

TEST_F(HostMemoryTest, FileIsWrittenAtMostEvery10SecondsAndAtShutDown) {
    StartRun();
    RunScan();
    const auto path = dir / "hosts.dat";
    ASSERT_TRUE(std::filesystem::exists(path)) << "the first table is saved at once";
    std::string first = ReadFile(path);

    arp.Put("192.168.1.40", "00-AA-BB-CC-DD-40");
    clock.Advance(std::chrono::seconds(9));
    RunScan();
    EXPECT_EQ(ReadFile(path), first) << "within 10 s of the last save";
    clock.Advance(std::chrono::seconds(1));
    RunScan();
    EXPECT_THAT(ReadFile(path), HasSubstr("host 192.168.1.40 "));

    arp.Put("192.168.1.50", "00-AA-BB-CC-DD-50");
    clock.Advance(std::chrono::seconds(1));
    RunScan();
    EXPECT_THAT(ReadFile(path), Not(HasSubstr("192.168.1.50")));
    EndRun();
    EXPECT_THAT(ReadFile(path), HasSubstr("host 192.168.1.50 ")) << "shut-down saves the rest";
}

TEST_F(HostMemoryTest, DamagedFileIsSetAsideAndWatchingGoesOn) {
    WriteFile(dir / "hosts.dat", "kestrove-hosts 1\r\nhost garbage\r\n");
    StartRun();
    EXPECT_EQ(memory->LoadResult(), HostsFile::LoadStatus::SetAside);
    RunScan();
    EXPECT_THAT(RunList1(), IsEmpty());
    EXPECT_EQ(ReadFile(dir / "hosts.dat.bad"), "kestrove-hosts 1\r\nhost garbage\r\n");
    EXPECT_THAT(ReadFile(dir / "hosts.dat"), HasSubstr("host 192.168.1.1 00-11-22-33-44-55"));
}

TEST_F(HostMemoryTest, HistoryExplainsReaddressingAFlipBackAndAMacWithManyAddresses) {
    StartRun();
    RunScan();
    // 192.168.1.20 leaves for 11 minutes; another machine then takes its address.
    arp.table.erase(arp.table.begin() + 1);
    clock.Advance(std::chrono::minutes(11));
    RunScan();
    arp.Put("192.168.1.20", "00-AA-BB-CC-DD-99");
    RunScan();
    EXPECT_THAT(run->List1().Explanation(1), HasSubstr("11分間見えていませんでした"));

    // The gateway is poisoned with the MAC of .30, then restored 20 s later.
    arp.Replace(kGateway, "00-AA-BB-CC-DD-30");
    clock.Advance(std::chrono::seconds(1));
    RunScan();
    EXPECT_THAT(run->List1().Explanation(3), HasSubstr("ほかに1個のIPアドレスでも使われています"));
    arp.Replace(kGateway, kGatewayMac);
    clock.Advance(std::chrono::seconds(20));
    RunScan();
    EXPECT_THAT(run->List1().Explanation(5), HasSubstr("1分以内に元のMACアドレスに戻りました"));
}

TEST_F(HostMemoryTest, PoisoningUndoneBeforeTheNextScanIsExplainedAsAFlipBack) {
    // Heard from the kernel both ways within one poll: no scan runs between the two changes.
    StartRun();
    RunScan();
    FakeNeighbourEvents kernel;
    kernel.Announce(kGateway, "00-AA-BB-CC-DD-30");
    run->HearNeighbours(kernel);
    clock.Advance(std::chrono::milliseconds(50));
    kernel.Announce(kGateway, kGatewayMac);
    run->HearNeighbours(kernel);
    EXPECT_THAT(run->List1().Explanation(3), HasSubstr("1分以内に元のMACアドレスに戻りました"));
}

}  // namespace
}  // namespace kestrove::test
