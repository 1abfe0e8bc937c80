#include "monitor/watch/RememberedHosts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "monitor/watch/HostsFile.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/PrivateFile.h"
#include "testsupport/SpecialFiles.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

constexpr std::string_view kFile =
    "kestrove-hosts 1\r\n"
    "network 192.168.1.0 255.255.255.0 00-11-22-33-44-55\r\n"
    "host 192.168.1.1 00-11-22-33-44-55 1700000000 1700000300\r\n"
    "host 192.168.1.20 3C-5A-B4-00-00-01 1700000100 1700000200\r\n"
    "network 10.0.0.0 255.0.0.0 -\r\n"
    "host 10.1.2.3 02-00-00-00-00-0A 5 6\r\n";

TEST(RememberedHosts, ParsedFileIsWrittenBackByteForByte) {
    std::optional<RememberedHosts> hosts = RememberedHosts::Parse(kFile);
    ASSERT_TRUE(hosts);
    ASSERT_EQ(hosts->tables.size(), 2u);
    const HostsTable& home = hosts->tables[0];
    EXPECT_EQ(home.network,
              (NetworkId{Ip("192.168.1.0"), Ip("255.255.255.0"), Mac("00-11-22-33-44-55")}));
    ASSERT_NE(home.hosts.Find(Ip("192.168.1.20")), nullptr);
    EXPECT_EQ(*home.hosts.Find(Ip("192.168.1.20")),
              (RememberedHost{Ip("192.168.1.20"), Mac("3C-5A-B4-00-00-01"), 1700000100, 1700000200}));
    EXPECT_EQ(hosts->tables[1].network.gateway.length, 0) << "no gateway";
    EXPECT_EQ(hosts->Serialize(), kFile);
    // Bare LF ends are read as well.
    std::string lf;
    for (char c : kFile) {
        if (c != '\r') {
            lf.push_back(c);
        }
    }
    ASSERT_TRUE(RememberedHosts::Parse(lf));
    EXPECT_EQ(RememberedHosts::Parse(lf)->Serialize(), kFile);
}

TEST(RememberedHosts, HostsInAnyOrderAreKeptSortedTheLaterLineStandsAndAnAbsurdTimeIsHeldAtItsEnd) {
    std::optional<RememberedHosts> hosts = RememberedHosts::Parse(
        "kestrove-hosts 1\r\n"
        "network 192.168.1.0 255.255.255.0 -\r\n"
        "host 192.168.1.30 02-00-00-00-00-30 1 2\r\n"
        "host 192.168.1.5 02-00-00-00-00-05 3 999999999999999999\r\n"
        "host 192.168.1.30 02-00-00-00-00-31 4 5\r\n"
        "host 192.168.1.20 02-00-00-00-00-20 6 7\r\n");
    ASSERT_TRUE(hosts);
    EXPECT_EQ(hosts->Serialize(),
              "kestrove-hosts 1\r\n"
              "network 192.168.1.0 255.255.255.0 -\r\n"
              "host 192.168.1.5 02-00-00-00-00-05 3 549755813887\r\n"
              "host 192.168.1.20 02-00-00-00-00-20 6 7\r\n"
              "host 192.168.1.30 02-00-00-00-00-31 4 5\r\n");
    RememberedHostTable& table = hosts->tables[0].hosts;
    std::vector<RememberedHost> added{{Ip("192.168.1.9"), Mac("02-00-00-00-00-09"), 8, 9},
                                      {Ip("192.168.1.1"), Mac("02-00-00-00-00-01"), -8, 9}};
    table.Merge(added);
    std::vector<Ipv4> order;
    for (const RememberedHost& host : table) {
        order.push_back(host.address);
    }
    EXPECT_EQ(order, (std::vector<Ipv4>{Ip("192.168.1.1"), Ip("192.168.1.5"), Ip("192.168.1.9"),
                                        Ip("192.168.1.20"), Ip("192.168.1.30")}));
    EXPECT_EQ(table.Find(Ip("192.168.1.1"))->firstSeen, -8) << "a clock before 1970 is kept";
    EXPECT_EQ(table.Find(Ip("192.168.1.2")), nullptr);
}

TEST(RememberedHosts, GatewaysRoutersAndIpv6HostsFollowTheirNetworkAndLaterKindsArePassedOver) {
    const std::string withIpv6 =
        "kestrove-hosts 1\r\n"
        "network 192.168.1.0 255.255.255.0 00-11-22-33-44-55\r\n"
        "host 192.168.1.1 00-11-22-33-44-55 1700000000 1700000300\r\n"
        "gateway 192.168.1.1\r\n"
        "gateway fe80::1\r\n"
        "router fe80::1 00-11-22-33-44-55\r\n"
        "router fe80::2 -\r\n"
        "host6 2001:db8::20 3C-5A-B4-00-00-01 1700000100 1700000200\r\n"
        "network 10.0.0.0 255.0.0.0 -\r\n";
    std::optional<RememberedHosts> hosts = RememberedHosts::Parse(withIpv6);
    ASSERT_TRUE(hosts);
    const KnownNetwork& beyond = hosts->tables[0].beyondIpv4;
    EXPECT_EQ(beyond.gateways.size(), 2u);
    EXPECT_EQ(beyond.routers.size(), 2u);
    ASSERT_EQ(beyond.hosts6.size(), 1u);
    EXPECT_EQ(beyond.hosts6.begin()->second.lastSeen, 1700000200);
    EXPECT_TRUE(hosts->tables[1].beyondIpv4.Empty());
    EXPECT_EQ(hosts->Serialize(), withIpv6);

    // A kind a later version may write is passed over; what this one knows stays strict.
    std::string later = withIpv6;
    later.insert(later.find("network 10"), "vlan 12 trunk\r\n");
    std::optional<RememberedHosts> read = RememberedHosts::Parse(later);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Serialize(), withIpv6);
    for (const char* bad :
         {"gateway 192.168.1.01\r\n", "router 2001:DB8::1 -\r\n",
          "host6 192.168.1.5 00-11-22-33-44-55 1 2\r\n", "gateway\r\n", "Vlan 12\r\n"}) {
        std::string text = withIpv6 + bad;
        EXPECT_FALSE(RememberedHosts::Parse(text)) << bad;
    }
}

TEST(RememberedHosts, DamagedOrForeignTextIsRefusedWhole) {
    const std::string good = std::string(kFile);
    const char* cases[] = {
        "",
        "kestrove-hosts 2\r\n",
        "KESTROVE-HOSTS 1\r\n",
        "kestrove-hosts 1",  // cut before its line end
        "kestrove-hosts 1\r\nhost 192.168.1.1 00-11-22-33-44-55 1 2\r\n",  // host before network
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 - extra\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 zz-zz\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0  255.255.255.0 -\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nhost 192.168.1.256 "
        "00-11-22-33-44-55 1 2\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nhost 192.168.1.1 "
        "00-00-00-00-00-00 1 2\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nhost 192.168.1.1 "
        "00-11-22-33-44-55 -1 2\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nhost 192.168.1.1 "
        "00-11-22-33-44-55 1 99999999999999999999\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nhost 192.168.1.1 "
        "00-11-22-33-44-55 1 2\r\n\r\n",
        "kestrove-hosts 1\r\nnetwork 192.168.1.0 255.255.255.0 -\r\nremark\r\n",
    };
    for (const char* text : cases) {
        EXPECT_FALSE(RememberedHosts::Parse(text)) << text;
    }
    std::string flipped = good;
    flipped[40] = '\0';
    EXPECT_FALSE(RememberedHosts::Parse(flipped));
}

TEST(RememberedHosts, TableOf65536HostsRoundTripsAndOneMoreIsRefused) {
    RememberedHosts hosts;
    hosts.tables.push_back(
        HostsTable{{Ip("10.0.0.0"), Ip("255.255.0.0"), Mac("00-11-22-33-44-55")}, {}, {}});
    for (Ipv4 i = 0; i < RememberedHosts::kMaxHostsPerNetwork; ++i) {
        MacAddress mac = Mac("02-00-00-00-00-00");
        mac.bytes[4] = static_cast<std::uint8_t>(i >> 8);
        mac.bytes[5] = static_cast<std::uint8_t>(i);
        hosts.tables[0].hosts.Put(RememberedHost{Ip("10.0.0.0") + i, mac, 1700000000, 1700000000 + i});
    }
    std::string text = hosts.Serialize();
    std::optional<RememberedHosts> back = RememberedHosts::Parse(text);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->tables.size(), 1u);
    EXPECT_EQ(back->tables[0].hosts, hosts.tables[0].hosts);

    text += "host 10.1.0.0 02-00-00-00-00-01 1 2\r\n";
    EXPECT_FALSE(RememberedHosts::Parse(text)) << "a 65,537th host is no table of ours";
}

class HostsFileTest : public ::testing::Test {
protected:
    TempFolder dir;
    HostsFile file = HostsFile::InFolder(dir.Path());
    RememberedHosts hosts;
};

TEST_F(HostsFileTest, SavedFileIsTheOwnersAloneAndLoadsBack) {
    ASSERT_TRUE(RememberedHosts::Parse(kFile));
    hosts = *RememberedHosts::Parse(kFile);
    mode_t umask = ::umask(0);
    bool saved = file.Save(hosts);
    ::umask(umask);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(IsOwnerOnlyFile(file.Path()));
    EXPECT_EQ(ReadFile(file.Path()), kFile);

    RememberedHosts back;
    EXPECT_EQ(file.Load(back), HostsFile::LoadStatus::Loaded);
    EXPECT_EQ(back.Serialize(), kFile);
    // Nothing but the file is left in the folder.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST_F(HostsFileTest, LargeTableGoesOutInPiecesAndARefusedPieceLeavesTheOldFileWhole) {
    hosts = *RememberedHosts::Parse(kFile);
    ASSERT_TRUE(file.Save(hosts));
    HostsTable& big = hosts.tables[1];
    for (Ipv4 i = 0; i < 5000; ++i) {
        big.hosts.Put(RememberedHost{Ip("10.2.0.0") + i, Mac("02-00-00-00-10-01"), 7, 8 + i});
    }
    const std::string whole = hosts.Serialize();
    std::vector<const HostsTable*> tables{&hosts.tables[0], &hosts.tables[1]};
    std::vector<std::size_t> pieces;
    std::string joined;
    ASSERT_TRUE(RememberedHosts::Write(tables, [&](std::string_view piece) {
        pieces.push_back(piece.size());
        joined += piece;
        return true;
    }));
    EXPECT_GT(pieces.size(), 3u) << "about 290 KB of text is not held whole";
    EXPECT_EQ(joined, whole);

    int calls = 0;
    EXPECT_FALSE(RememberedHosts::Write(tables, [&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2) << "nothing more is made once a piece was refused";
    EXPECT_FALSE(WriteFileAtomically(
        file.Path(), [](const ChunkWriter& write) { return write("kestrove") && false; }, 0600));
    EXPECT_EQ(ReadFile(file.Path()), kFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "the cut temporary is gone";

    ASSERT_TRUE(file.Save(hosts));
    EXPECT_EQ(ReadFile(file.Path()), whole);
}

TEST_F(HostsFileTest, MissingFileIsAnEmptyMemory) {
    EXPECT_EQ(file.Load(hosts), HostsFile::LoadStatus::Missing);
    EXPECT_TRUE(hosts.tables.empty());
}

TEST_F(HostsFileTest, DamagedFileIsSetAsideAndTheNextSaveStartsAfresh) {
    WriteFile(file.Path(), "kestrove-hosts 1\r\nnetwork garbage\r\n");
    EXPECT_EQ(file.Load(hosts), HostsFile::LoadStatus::SetAside);
    EXPECT_TRUE(hosts.tables.empty());
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
    EXPECT_EQ(ReadFile(file.BadPath()), "kestrove-hosts 1\r\nnetwork garbage\r\n");
    ASSERT_TRUE(file.Save(hosts));
    EXPECT_EQ(ReadFile(file.Path()), "kestrove-hosts 1\r\n");
}

TEST_F(HostsFileTest, LinkOrFifoInTheFilesPlaceIsNeitherFollowedNorOverwrittenThrough) {
    WriteFile(dir / "target", std::string(kFile));
    if (!MakeFileLink(dir / "target", file.Path())) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_EQ(file.Load(hosts), HostsFile::LoadStatus::SetAside);
    EXPECT_TRUE(hosts.tables.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(file.BadPath()));
    ASSERT_TRUE(file.Save(hosts));
    EXPECT_EQ(ReadFile(dir / "target"), kFile) << "the link's target stays untouched";

    std::filesystem::remove(file.Path());
    if (!MakeFifo(file.Path())) {
        return;  // no FIFOs here
    }
    EXPECT_EQ(file.Load(hosts), HostsFile::LoadStatus::SetAside) << "and does not block";
}

}  // namespace
}  // namespace kestrove::test
