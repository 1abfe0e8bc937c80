#include "netinfo/PolledNeighbourEvents.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using test::Ip;
using test::Mac;

class PolledNeighbourEventsTest : public ::testing::Test {
protected:
    PolledNeighbourEventsTest() {
        auto fake = std::make_unique<test::FakeArpTable>();
        table = fake.get();
        table->Put("192.168.1.1", "00-11-22-33-44-01");
        table->Put("192.168.1.7", "00-11-22-33-44-07");
        table->Put("192.168.1.9", "00-11-22-33-44-09");
        events = std::make_unique<PolledNeighbourEvents>(std::move(fake), 50ms);
    }

    // What one poll announces, as "address=MAC" in the order handed on.
    std::vector<std::string> Poll() {
        std::vector<ArpEntry> heard;
        EXPECT_EQ(events->Read(heard), NeighbourEventStatus::Drained);
        std::vector<std::string> out;
        for (const ArpEntry& e : heard) {
            out.push_back(FormatDotted(e.address) + "=" + FormatMac(e.mac));
        }
        return out;
    }

    test::FakeArpTable* table = nullptr;
    std::unique_ptr<PolledNeighbourEvents> events;
};

// A table whose every read takes a set time on the clock.
class SlowTable final : public ArpTableSource {
public:
    explicit SlowTable(test::FakeClock& clock) : clock_(clock) {}
    bool Read(std::vector<ArpEntry>& entries) override {
        clock_.Advance(takes);
        entries.assign(1, {test::Ip("192.168.1.1"), test::Mac("00-11-22-33-44-01")});
        return true;
    }
    std::chrono::milliseconds takes{0};

private:
    test::FakeClock& clock_;
};

TEST(PolledNeighbourEventsCost, SlowReadsStretchTheIntervalSoReadingTakesAboutATwentieth) {
    auto clock = std::make_unique<test::FakeClock>();
    auto table = std::make_unique<SlowTable>(*clock);
    SlowTable* slow = table.get();
    PolledNeighbourEvents events(std::move(table), 50ms, std::move(clock));
    std::vector<ArpEntry> heard;
    // A fast read (Windows's own table) keeps the interval.
    slow->takes = 1ms;
    events.Read(heard);
    EXPECT_EQ(events.PollInterval(), 50ms);
    // Wine answers a row at a time: 120 ms a read waits 2.4 s.
    slow->takes = 120ms;
    events.Read(heard);
    EXPECT_EQ(events.PollInterval(), 2400ms);
    // Never longer than a minute, whatever a read (or a clock set forward) took.
    slow->takes = 10min;
    events.Read(heard);
    EXPECT_EQ(events.PollInterval(), 60s);
    slow->takes = 2ms;
    events.Read(heard);
    EXPECT_EQ(events.PollInterval(), 50ms) << "back to the interval once reads are quick";
}

TEST_F(PolledNeighbourEventsTest, IsPolledAtItsIntervalWithNothingToWatch) {
    EXPECT_LT(events->Handle(), 0);
    EXPECT_EQ(events->PollInterval(), 50ms);
}

TEST_F(PolledNeighbourEventsTest, FirstReadTellsEveryEntryThenOnlyChanges) {
    EXPECT_EQ(Poll().size(), 3u);
    EXPECT_TRUE(Poll().empty());
    // The same table in another order (the platform keeps none) changes nothing.
    std::reverse(table->table.begin(), table->table.end());
    EXPECT_TRUE(Poll().empty());

    table->Replace("192.168.1.7", "00-66-66-66-66-66");
    table->Put("192.168.1.20", "00-11-22-33-44-20");
    EXPECT_EQ(Poll(), (std::vector<std::string>{"192.168.1.7=00-66-66-66-66-66",
                                                "192.168.1.20=00-11-22-33-44-20"}));
    EXPECT_TRUE(Poll().empty());
}

TEST_F(PolledNeighbourEventsTest, PoisoningUndoneBetweenScansIsToldBothWays) {
    Poll();
    table->Replace("192.168.1.1", "00-66-66-66-66-66");
    EXPECT_EQ(Poll(), std::vector<std::string>{"192.168.1.1=00-66-66-66-66-66"});
    table->Replace("192.168.1.1", "00-11-22-33-44-01");
    EXPECT_EQ(Poll(), std::vector<std::string>{"192.168.1.1=00-11-22-33-44-01"});
}

TEST_F(PolledNeighbourEventsTest, VanishedEntriesAreNotToldButTheirReturnIs) {
    Poll();
    table->table.erase(table->table.begin());
    EXPECT_TRUE(Poll().empty());
    table->Put("192.168.1.1", "00-11-22-33-44-01");
    EXPECT_EQ(Poll(), std::vector<std::string>{"192.168.1.1=00-11-22-33-44-01"});
}

TEST_F(PolledNeighbourEventsTest, FailedReadIsSkippedAndTheNextComparesWithTheLastGood) {
    Poll();
    table->failing = true;
    EXPECT_TRUE(Poll().empty());
    table->failing = false;
    EXPECT_TRUE(Poll().empty());
    table->Replace("192.168.1.9", "00-66-66-66-66-66");
    table->failing = true;
    EXPECT_TRUE(Poll().empty());
    table->failing = false;
    EXPECT_EQ(Poll(), std::vector<std::string>{"192.168.1.9=00-66-66-66-66-66"});
}

TEST_F(PolledNeighbourEventsTest, AddressOnTwoInterfacesIsOneEntryPerMac) {
    // The platform lists an address once per interface; rows that trade places change nothing,
    // while one of them taking a new MAC is told.
    table->Put("192.168.1.7", "00-22-22-22-22-07");
    Poll();
    std::swap(table->table[1], table->table[3]);
    EXPECT_TRUE(Poll().empty());
    table->table[1].mac = Mac("00-66-66-66-66-66");
    EXPECT_EQ(Poll(), std::vector<std::string>{"192.168.1.7=00-66-66-66-66-66"});
}

}  // namespace
}  // namespace kestrove
