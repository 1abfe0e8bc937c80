#include "netinfo/linux/NetlinkArpTableSource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <optional>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/MonitorProcess.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/RunCommand.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using test::Ip;

std::optional<std::string> MacOf(const std::vector<ArpEntry>& entries, std::string_view ip) {
    for (const ArpEntry& e : entries) {
        if (e.address == Ip(ip)) {
            return FormatMac(e.mac);
        }
    }
    return std::nullopt;
}

// The source is made inside the namespace and used outside it: its socket stays there.
std::unique_ptr<NetlinkArpTableSource> SourceIn(const test::NetNamespace& ns) {
    test::ScopedNetnsEnter inside(ns);
    return std::make_unique<NetlinkArpTableSource>();
}

std::vector<ArpEntry> TableOf(ArpTableSource& source) {
    std::vector<ArpEntry> entries;
    EXPECT_TRUE(source.Read(entries));
    return entries;
}

class NetlinkArpTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        ns = std::make_unique<test::NetNamespace>("arp");
        ns->Ip({"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"});
        ns->Ip({"link", "set", "veth0", "up"});
        ns->Ip({"link", "set", "veth1", "up"});
        ns->Ip({"addr", "add", "10.200.0.10/24", "dev", "veth0"});
        source = SourceIn(*ns);
        ASSERT_TRUE(source->IsOpen());
    }

    void Permanent(const std::string& ip, const std::string& mac) {
        ns->Ip({"neigh", "replace", ip, "lladdr", mac, "dev", "veth0", "nud", "permanent"});
    }

    std::unique_ptr<test::NetNamespace> ns;
    std::unique_ptr<NetlinkArpTableSource> source;
};

TEST_F(NetlinkArpTableTest, EntriesReadWithAddressAndMacAndIncompleteOnesWithTheZeroMac) {
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    Permanent("10.200.0.1", "00:aa:bb:cc:dd:0e");
    ns->Ip({"neigh", "add", "10.200.0.99", "dev", "veth0", "nud", "incomplete"});
    auto entries = TableOf(*source);
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(MacOf(entries, "10.200.0.77"), "02-00-00-00-00-0A");
    EXPECT_EQ(MacOf(entries, "10.200.0.1"), "00-AA-BB-CC-DD-0E");
    EXPECT_EQ(MacOf(entries, "10.200.0.99"), std::string(kZeroMacText));
}

TEST_F(NetlinkArpTableTest, LoopbackEntryIsLeftOut) {
    // Loopback traffic makes the kernel list 0.0.0.0 on lo (NOARP); it is no neighbour.
    ASSERT_EQ(ns->Exec("ping -c1 -W1 127.0.0.2 >/dev/null"), 0);
    ASSERT_NE(ns->ExecOutput("ip neigh show nud noarp dev lo"), "");
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    auto entries = TableOf(*source);
    EXPECT_EQ(MacOf(entries, "0.0.0.0"), std::nullopt);
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(NetlinkArpTableTest, EveryReadSeesTheTableAsItIsNow) {
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    EXPECT_EQ(MacOf(TableOf(*source), "10.200.0.77"), "02-00-00-00-00-0A");
    Permanent("10.200.0.77", "02:00:00:00:00:66");
    EXPECT_EQ(MacOf(TableOf(*source), "10.200.0.77"), "02-00-00-00-00-66");
    ns->Ip({"neigh", "del", "10.200.0.77", "dev", "veth0"});
    EXPECT_TRUE(TableOf(*source).empty());
}

TEST_F(NetlinkArpTableTest, LargeTableSpanningManyDatagramsIsReadWhole) {
    constexpr int kCount = 5000;  // about a dozen 32 KiB datagrams
    test::TempFolder dir;
    std::ofstream batch(dir / "neigh.batch");
    for (int i = 0; i < kCount; ++i) {
        batch << "neigh replace 10.201." << i / 256 << "." << i % 256
              << " lladdr 02:00:00:00:" << std::hex << i / 256 << ":" << i % 256 << std::dec
              << " dev veth0 nud permanent\n";
    }
    batch.close();
    ASSERT_EQ(test::RunCommand({"ip", "-n", ns->Name(), "-batch", (dir / "neigh.batch").string()}),
              0);
    auto entries = TableOf(*source);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(MacOf(entries, "10.201.19.135"), "02-00-00-00-13-87");
    // A second read on the same socket and buffer gives the same table.
    EXPECT_EQ(TableOf(*source).size(), static_cast<std::size_t>(kCount));
}

TEST_F(NetlinkArpTableTest, EachSourceReadsTheNamespaceItWasMadeIn) {
    test::NetNamespace other("arp-other");
    other.Ip({"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"});
    other.Ip({"neigh", "replace", "10.200.0.5", "lladdr", "02:00:00:00:00:05", "dev", "veth0",
              "nud", "permanent"});
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    auto entries = TableOf(*SourceIn(other));
    EXPECT_EQ(MacOf(entries, "10.200.0.5"), "02-00-00-00-00-05");
    EXPECT_EQ(MacOf(entries, "10.200.0.77"), std::nullopt);
    EXPECT_EQ(MacOf(TableOf(*source), "10.200.0.5"), std::nullopt);
}

// Descriptors run out for a while (a process that leaks them, a machine at its limit): the
// source fails meanwhile and reads again once a socket can be had, in its own namespace only.
TEST_F(NetlinkArpTableTest, SocketThatCouldNotBeOpenedIsOpenedByALaterRead) {
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    std::unique_ptr<NetlinkArpTableSource> late;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    {
        test::ScopedNetnsEnter inside(*ns);
        int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ASSERT_GE(lowestFree, 0);
        ::close(lowestFree);
        rlimit exhausted{static_cast<rlim_t>(lowestFree), old.rlim_max};
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &exhausted), 0);
        late = std::make_unique<NetlinkArpTableSource>();
        std::vector<ArpEntry> entries;
        EXPECT_FALSE(late->Read(entries));
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
        EXPECT_FALSE(late->IsOpen());
    }
    std::vector<ArpEntry> entries;
    EXPECT_FALSE(late->Read(entries)) << "never the table of another namespace";
    test::ScopedNetnsEnter inside(*ns);
    ASSERT_TRUE(late->Read(entries));
    EXPECT_EQ(MacOf(entries, "10.200.0.77"), "02-00-00-00-00-0A");
}

// A real poisoning between namespaces: the attacker's gratuitous ARP claims the gateway's
// address, and the victim's table shows the attacker's MAC for it.
TEST(NetlinkArpTableLan, GratuitousArpFromAttackerChangesVictimsEntry) {
    KESTROVE_REQUIRE_ROOT();
    test::PoisonedLan lan("garp");
    ASSERT_EQ(lan.Victim().Exec("ping -c1 -W2 10.200.0.1 >/dev/null"), 0);
    auto source = SourceIn(lan.Victim());
    ASSERT_EQ(MacOf(TableOf(*source), "10.200.0.1"), "02-00-00-00-00-01");

    lan.Poison("02:00:00:00:00:66");
    // The frame crosses the bridge asynchronously; the real gateway wins back only seconds later.
    std::optional<std::string> mac;
    test::WaitFor(
        [&] {
            mac = MacOf(TableOf(*source), "10.200.0.1");
            return mac != "02-00-00-00-00-01";
        },
        2s);
    EXPECT_EQ(mac, "02-00-00-00-00-66");
}

}  // namespace
}  // namespace kestrove
