// Neighbour notifications run the scan's steps for their entries at once.
#include "WatchFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kChangeLine = kStamp + "\tMACアドレスが変化しました";

class NeighbourEventsTest : public WatchFixture {
protected:
    NeighbourEventsTest() {
        arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
        Scan();
    }
    bool Hear() { return engine.HearNeighbours(source); }

    FakeNeighbourEvents source;
};

TEST_F(NeighbourEventsTest, EntriesThatChangeNothingRaiseAndRedrawNothing) {
    struct Case {
        const char* what;
        const char* ip;
        const char* mac;
    };
    for (const Case& c : {Case{"outside the watched subnet", "192.168.2.1", "00-11-22-33-44-55"},
                          Case{"incomplete (zero MAC)", "192.168.1.1", "00-00-00-00-00-00"},
                          Case{"the known MAC again", "192.168.1.1", "00-AA-BB-CC-DD-0E"}}) {
        int redraws = events.viewChanges;
        source.Announce(c.ip, c.mac);
        EXPECT_TRUE(Hear()) << c.what;
        EXPECT_THAT(List1(), IsEmpty()) << c.what;
        EXPECT_THAT(List2(), ElementsAre("00-AA-BB-CC-DD-0E (192.168.  1.  1)")) << c.what;
        EXPECT_EQ(engine.HostCount(), 1u) << c.what;
        EXPECT_EQ(events.viewChanges, redraws) << c.what;
    }
    // The known host's MAC stayed recorded through the zero-MAC notification.
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST_F(NeighbourEventsTest, PoisoningUndoneBeforeTheNextScanGivesBothChangeAlarmsInOrder) {
    source.Announce("192.168.1.1", "00-11-22-33-44-55");
    EXPECT_TRUE(Hear());
    EXPECT_THAT(
        List1(),
        ElementsAre(kChangeLine, "  (192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55"));
    EXPECT_EQ(events.blinkStarts, 1);
    EXPECT_EQ(events.immediateRequests, 1);
    EXPECT_THAT(GridRows(engine), ElementsAre("192.168.  1.  1 00-AA-BB-CC-DD-0E"))
        << "the grid stays the scan's";

    clock.Advance(50ms);
    source.Announce("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Hear();
    EXPECT_EQ(List1().size(), 4u);
    EXPECT_EQ(List1()[3], "  (192.168.  1.  1:) 00-11-22-33-44-55 -> 00-AA-BB-CC-DD-0E");
    EXPECT_THAT(LogLines(), ElementsAre(kChangeLine + "\t(192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> "
                                                      "00-11-22-33-44-55",
                                        kChangeLine + "\t(192.168.  1.  1:) 00-11-22-33-44-55 -> "
                                                      "00-AA-BB-CC-DD-0E"));
    Scan();
    EXPECT_EQ(LogLines().size(), 2u) << "the scan finds the table as the events left it";
}

TEST_F(NeighbourEventsTest, NewHostHeardIsListedAndRecordedSilently) {
    source.Announce("192.168.1.20", "00-11-22-33-44-55");
    source.Announce("192.168.1.20", "00-11-22-33-44-55");
    Hear();
    EXPECT_THAT(List2(), ElementsAre("00-11-22-33-44-55 (192.168.  1. 20)",
                                     "00-AA-BB-CC-DD-0E (192.168.  1.  1)"));
    EXPECT_THAT(List1(), IsEmpty());
    EXPECT_EQ(engine.HostCount(), 2u);
}

TEST_F(NeighbourEventsTest, ManyChangesHeardAtOnceAreAllLoggedAndDrawnOnce) {
    for (int i = 2; i <= 201; ++i) {
        const std::uint8_t mac[6] = {2, 0, 0, 0, 0, static_cast<std::uint8_t>(i)};
        arp.table.push_back(
            {MakeIpv4(192, 168, 1, static_cast<std::uint8_t>(i)), MacAddress::FromBytes(mac, 6)});
    }
    Scan();
    for (int i = 2; i <= 201; ++i) {
        source.Announce("192.168.1." + std::to_string(i), "02-00-00-00-AA-BB");
    }
    int redraws = events.viewChanges;
    Hear();
    EXPECT_EQ(List1().size(), 400u);
    EXPECT_EQ(List1()[399], "  (192.168.  1.201:) 02-00-00-00-00-C9 -> 02-00-00-00-AA-BB");
    EXPECT_EQ(LogLines().size(), 200u);
    EXPECT_EQ(events.blinkStarts, 200);
    EXPECT_EQ(events.viewChanges, redraws + 1);
}

TEST_F(NeighbourEventsTest, LostNotificationsRunAFullScanAtOnce) {
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    arp.Put("192.168.1.9", "00-11-22-33-44-09");
    int reads = arp.reads;
    source.lost = true;
    EXPECT_TRUE(Hear());
    EXPECT_EQ(arp.reads, reads + 1);
    EXPECT_EQ(List1().size(), 2u);
    EXPECT_THAT(GridRows(engine), ElementsAre("192.168.  1.  1 00-11-22-33-44-55",
                                              "192.168.  1.  9 00-11-22-33-44-09"));
    EXPECT_TRUE(engine.Timer1().IsActive()) << "the scan timer counts from this scan";
}

TEST_F(NeighbourEventsTest, ClearBetweenAnEventAndTheNextScanForgetsWhatWasHeard) {
    source.Announce("192.168.1.1", "00-11-22-33-44-55");
    Hear();
    engine.Command1_Click();
    Scan();
    EXPECT_EQ(List1().size(), 1u) << "only the clear line";
    EXPECT_THAT(List2(), ElementsAre("00-AA-BB-CC-DD-0E (192.168.  1.  1)"));
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(NeighbourEventsTest, NotificationsGoneForGoodLeavePollingAlone) {
    source.closed = true;
    EXPECT_FALSE(Hear());
    engine.StartScanning();
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    timers.Advance(1s);
    EXPECT_EQ(List1().size(), 2u);
}

}  // namespace
}  // namespace kestrove::test
