#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "NamespaceWatch.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kVictimMac = "02:00:00:00:00:10";
const std::string kGatewayMac = "02:00:00:00:00:01";
const std::string kAttackerMac = "02:00:00:00:00:66";

// A LAN whose "victim" runs the watch engine; each test adds the other hosts it needs.
class WatchInNamespaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        lan = std::make_unique<TestLan>("watch");
        victim = &lan->AddHost("victim", kVictimMac, "10.200.0.10/24");
        watch = std::make_unique<NamespaceWatch>(*victim);
        ASSERT_TRUE(watch->arp->IsOpen());
        ASSERT_EQ(watch->adapters.OwnMacList[0], "02-00-00-00-00-10");
        ASSERT_EQ(FormatDotted(watch->adapters.WatchIP), "10.200.0.10");
        ASSERT_EQ(FormatDotted(watch->adapters.WatchMask), "255.255.255.0");
    }

    void Scan() { watch->engine->ScanArpTable(); }

    void Permanent(const std::string& ip, const std::string& mac) {
        victim->Ip({"neigh", "replace", ip, "lladdr", mac, "dev", "veth0", "nud", "permanent"});
    }

    void Ping(const std::string& ip) {
        // Right after a link comes up the first echo may be lost; a few tries cover that.
        EXPECT_EQ(victim->Exec("ping -c1 -W1 " + ip + " >/dev/null || ping -c1 -W1 " + ip +
                               " >/dev/null || ping -c1 -W2 " + ip + " >/dev/null"),
                  0)
            << "no answer from " << ip;
    }

    // Frames cross the bridge asynchronously: scans until `done` holds or the time is up.
    template <typename Done>
    void ScanUntil(Done done, std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        Scan();
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Scan();
        }
    }

    std::unique_ptr<TestLan> lan;
    NetNamespace* victim = nullptr;
    std::unique_ptr<NamespaceWatch> watch;
};

TEST_F(WatchInNamespaceTest, ChangedEntryRaisesTheChangeAlarmOnceAndLogsItInCp932) {
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    Scan();
    EXPECT_THAT(watch->List2(), ElementsAre("02-00-00-00-00-0A ( 10.200.  0. 77)"));
    EXPECT_THAT(watch->List1(), IsEmpty());

    Permanent("10.200.0.77", "02:00:00:00:00:0b");
    Scan();
    EXPECT_THAT(watch->List1(),
                ElementsAre(kStamp + "\tMACアドレスが変化しました",
                            "  ( 10.200.  0. 77:) 02-00-00-00-00-0A -> 02-00-00-00-00-0B"));
    // "MACアドレスが変化しました" as CP932 bytes, written out so the check does not rest on
    // the converter it checks.
    const std::string message =
        "MAC\x83\x41\x83\x68\x83\x8c\x83\x58\x82\xaa\x95\xcf\x89\xbb\x82\xb5\x82\xdc\x82\xb5\x82"
        "\xbd";
    EXPECT_EQ(watch->LogBytes(),
              kStamp + "\t" + message +
                  "\t( 10.200.  0. 77:) 02-00-00-00-00-0A -> 02-00-00-00-00-0B\r\n");
    EXPECT_EQ(watch->events.blinkStarts, 1);
    EXPECT_THAT(watch->GridRows(), ElementsAre(" 10.200.  0. 77 02-00-00-00-00-0B"));

    Scan();
    EXPECT_EQ(watch->LogLines().size(), 1u) << "a change is reported once";
}

TEST_F(WatchInNamespaceTest, IncompleteEntriesAreShownButNeverRecordedOrCompared) {
    victim->Ip({"neigh", "add", "10.200.0.99", "dev", "veth0", "nud", "incomplete"});
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    Scan();
    EXPECT_THAT(watch->GridRows(), ElementsAre(" 10.200.  0. 77 02-00-00-00-00-0A",
                                               " 10.200.  0. 99 00-00-00-00-00-00"));
    EXPECT_THAT(watch->List2(), ElementsAre("02-00-00-00-00-0A ( 10.200.  0. 77)"));
    EXPECT_EQ(watch->engine->HostCount(), 1u);

    // A known host losing its MAC keeps the recorded one, so getting it back is no change.
    victim->Ip({"neigh", "replace", "10.200.0.77", "dev", "veth0", "nud", "incomplete"});
    Scan();
    EXPECT_THAT(watch->GridRows(), ElementsAre(" 10.200.  0. 77 00-00-00-00-00-00",
                                               " 10.200.  0. 99 00-00-00-00-00-00"));
    Permanent("10.200.0.77", "02:00:00:00:00:0a");
    Scan();
    EXPECT_THAT(watch->List1(), IsEmpty());
    EXPECT_EQ(watch->LogBytes(), "");
}

TEST_F(WatchInNamespaceTest, GratuitousArpPoisoningTheGatewayRaisesTheChangeAlarm) {
    lan->AddHost("gateway", kGatewayMac, "10.200.0.1/24");
    NetNamespace& attacker = lan->AddHost("attacker", kAttackerMac, "10.200.0.66/24");
    watch->resolver.names[Ip("10.200.0.1")] = "gateway";
    Ping("10.200.0.1");
    Scan();
    ASSERT_THAT(watch->List2(), ElementsAre("02-00-00-00-00-01 ( 10.200.  0.  1)"));

    SendArp(attacker, "veth0", 1, kAttackerMac, "10.200.0.1", "00:00:00:00:00:00", "10.200.0.1");
    // The real gateway's traffic undoes the poison within some seconds: look before that.
    ScanUntil([&] { return !watch->List1().empty(); }, std::chrono::seconds(3));

    const std::string detail = "( 10.200.  0.  1:gateway) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    EXPECT_THAT(watch->List1(), ElementsAre(kStamp + "\tMACアドレスが変化しました", "  " + detail));
    EXPECT_THAT(watch->LogLines(), ElementsAre(kStamp + "\tMACアドレスが変化しました\t" + detail));
    EXPECT_TRUE(watch->engine->AlarmActive());
    EXPECT_EQ(watch->events.immediateRequests, 1);
}

TEST_F(WatchInNamespaceTest, TwoAddressesOfOneNeighbourRaiseTheDuplicateAlarmOnce) {
    NetNamespace& attacker = lan->AddHost("attacker", kAttackerMac, "10.200.0.66/24");
    attacker.Ip({"addr", "add", "10.200.0.67/24", "dev", "veth0"});
    Ping("10.200.0.67");
    Ping("10.200.0.66");
    Scan();
    watch->engine->CheckDuplicates();

    const std::string pair =
        "02-00-00-00-00-66 ( 10.200.  0. 66) と 02-00-00-00-00-66 ( 10.200.  0. 67)";
    EXPECT_THAT(watch->List1(),
                ElementsAre(kStamp + "\t同一MACアドレスが重複しています", "  " + pair));
    EXPECT_THAT(watch->LogLines(),
                ElementsAre(kStamp + "\t同一MACアドレスが重複しています\t" + pair));

    Scan();
    watch->engine->CheckDuplicates();
    EXPECT_EQ(watch->LogLines().size(), 1u) << "the pair is still shown in List1";
}

TEST_F(WatchInNamespaceTest, NeighbourClaimingThisComputersMacRaisesTheBroadcastAlarm) {
    NetNamespace& attacker = lan->AddHost("attacker", kAttackerMac, "10.200.0.66/24");
    // "who-has 10.200.0.10 tell 10.200.0.99" sent with the victim's own MAC as the sender's.
    SendArp(attacker, "veth0", 1, kVictimMac, "10.200.0.99", "00:00:00:00:00:00", "10.200.0.10");
    ScanUntil([&] { return !watch->List2().empty(); }, std::chrono::seconds(2));
    ASSERT_THAT(watch->List2(), ElementsAre("02-00-00-00-00-10 ( 10.200.  0. 99)"));

    watch->engine->CheckDuplicates();
    const std::string message = "このPCのMACアドレスがブロードキャストされました";
    EXPECT_THAT(watch->List1(),
                ElementsAre(kStamp + "\t" + message, "  02-00-00-00-00-10 ( 10.200.  0. 99)"));
    EXPECT_THAT(watch->LogLines(),
                ElementsAre(kStamp + "\t" + message + "\t02-00-00-00-00-10 ( 10.200.  0. 99)"));
    EXPECT_EQ(watch->events.immediateRequests, 0);
}

TEST_F(WatchInNamespaceTest, InterfaceGoingDownAndUpRaisesNothing) {
    lan->AddHost("gateway", kGatewayMac, "10.200.0.1/24");
    Ping("10.200.0.1");
    Scan();
    ASSERT_THAT(watch->GridRows(), ElementsAre(" 10.200.  0.  1 02-00-00-00-00-01"));

    // Taking the link down flushes its neighbour entries.
    victim->Ip({"link", "set", "veth0", "down"});
    Scan();
    EXPECT_THAT(watch->GridRows(), IsEmpty());

    victim->Ip({"link", "set", "veth0", "up"});
    Scan();
    Ping("10.200.0.1");
    Scan();
    EXPECT_THAT(watch->GridRows(), ElementsAre(" 10.200.  0.  1 02-00-00-00-00-01"));
    EXPECT_THAT(watch->List1(), IsEmpty());
    EXPECT_THAT(watch->List2(), ElementsAre("02-00-00-00-00-01 ( 10.200.  0.  1)"));
    EXPECT_EQ(watch->engine->HostCount(), 1u);
    EXPECT_EQ(watch->LogBytes(), "");
}

}  // namespace
}  // namespace kestrove::test
