// Scans whose table read comes back later (as it does from the reading thread): notifications
// heard meanwhile stand, scans asked for meanwhile follow, and the lamp, the pause and `Timer1`
// behave as with a read at once. And the reading thread itself.
#include <gmock/gmock.h>

#include <thread>

#include "WatchFixture.h"
#include "monitor/watch/BackgroundTableRead.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Holds each read until the test hands it back, with what the fake table holds then.
class HeldTableRead final : public TableRead {
public:
    explicit HeldTableRead(FakeArpTable& table) : table_(table) {}
    void Start(std::vector<ArpEntry> buffer, Done done) override {
        ++starts;
        buffer_ = std::move(buffer);
        done_ = std::move(done);
    }
    bool Pending() const { return static_cast<bool>(done_); }
    // The table as it was when the read reached it: read now, handed back later.
    void Read() { read_ = table_.Read(buffer_); }
    void Finish() {
        Done done = std::move(done_);
        done_ = nullptr;
        done(read_, buffer_);
    }

    int starts = 0;

private:
    FakeArpTable& table_;
    std::vector<ArpEntry> buffer_;
    Done done_;
    bool read_ = false;
};

class TableReadTest : public WatchFixture {
protected:
    TableReadTest() { engine.SetTableRead(&reads); }

    HeldTableRead reads{arp};
    FakeNeighbourEvents source;
};

TEST_F(TableReadTest, WhatIsHeardWhileTheTableIsReadIsNewerAndStands) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    reads.Read();
    reads.Finish();
    ASSERT_EQ(engine.HostCount(), 1u);

    // The read takes the table as it was; a poisoning is heard before the read comes back.
    Scan();
    reads.Read();
    EXPECT_TRUE(engine.Reading());
    source.Announce("192.168.1.1", "00-11-22-33-44-55");
    EXPECT_TRUE(engine.HearNeighbours(source));
    reads.Finish();
    EXPECT_THAT(LogLines(), ElementsAre(kStamp +
                                        "\tMACアドレスが変化しました\t(192.168.  1.  1:) "
                                        "00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55"))
        << "the older read undoes nothing and raises nothing";
    EXPECT_THAT(GridRows(engine), ElementsAre("192.168.  1.  1 00-11-22-33-44-55"));
    EXPECT_EQ(*engine.Hosts().Find(Ip("192.168.1.1")),
              Mac("00-11-22-33-44-55"));

    // The next read holds the change too: nothing more.
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    reads.Read();
    reads.Finish();
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(TableReadTest, ScansAskedForWhileReadingFollowAndATickKeepsItsLampAndPause) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    engine.StartScanning();
    timers.Advance(WatchEngine::kScanInterval);
    EXPECT_THAT(events.activity, ElementsAre(true)) << "the lamp is lit while the table is read";
    EXPECT_FALSE(engine.Timer1().IsActive());

    // Lost notifications while the tick reads: a second read follows, from after the loss.
    source.lost = true;
    engine.HearNeighbours(source);
    EXPECT_EQ(reads.starts, 1);
    reads.Read();
    reads.Finish();
    EXPECT_EQ(engine.HostCount(), 1u);
    EXPECT_TRUE(engine.ScanPause().IsActive());
    EXPECT_EQ(reads.starts, 2);
    arp.Put("192.168.1.2", "00-AA-BB-CC-DD-0F");
    reads.Read();
    reads.Finish();
    EXPECT_EQ(engine.HostCount(), 2u);
    EXPECT_FALSE(engine.Timer1().IsActive()) << "in the pause Timer1 waits for its end";

    timers.Advance(WatchEngine::kScanPause);
    EXPECT_THAT(events.activity, ElementsAre(true, false));
    EXPECT_TRUE(engine.Timer1().IsActive()) << "the interval counts from the pause's end";
}

TEST_F(TableReadTest, ATickFallingDueWhileACallersScanReadsFollowsIt) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    engine.StartScanning();
    Scan();
    timers.Advance(WatchEngine::kScanInterval);
    EXPECT_EQ(reads.starts, 1);
    reads.Read();
    reads.Finish();
    EXPECT_EQ(reads.starts, 2) << "the tick's read follows";
    EXPECT_THAT(events.activity, ElementsAre(true));
    reads.Read();
    reads.Finish();
    timers.Advance(WatchEngine::kScanPause);
    EXPECT_TRUE(engine.Timer1().IsActive()) << "and Timer1 goes on";
}

TEST_F(TableReadTest, ClearOrShutdownWhileReading) {
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    Scan();
    reads.Read();
    reads.Finish();

    // A clear while reading: the read's hosts come back as new hosts, without alarm.
    Scan();
    reads.Read();
    engine.Command1_Click();
    reads.Finish();
    EXPECT_EQ(engine.HostCount(), 1u);
    EXPECT_EQ(List1().size(), 1u) << "the clear's line alone";

    // A shutdown while reading: the read's outcome is dropped and nothing starts again.
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    Scan();
    reads.Read();
    engine.Shutdown();
    reads.Finish();
    EXPECT_EQ(*engine.Hosts().Find(Ip("192.168.1.1")),
              Mac("00-AA-BB-CC-DD-0E"));
    EXPECT_FALSE(engine.Timer1().IsActive());
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

// The table as a thread other than the caller's reads it.
class ThreadCheckingTable final : public ArpTableSource {
public:
    bool Read(std::vector<ArpEntry>& entries) override {
        readOn = std::this_thread::get_id();
        entries.assign(3, ArpEntry{Ip("10.0.0.1"), Mac("00-11-22-33-44-55")});
        return true;
    }
    std::thread::id readOn;
};

TEST(BackgroundTableReadTest, ReadsOnItsThreadAndHandsTheOutcomeBackThroughThePost) {
    auto table = std::make_unique<ThreadCheckingTable>();
    ThreadCheckingTable* seen = table.get();
    std::mutex mutex;
    std::vector<std::function<void()>> posted;
    {
        BackgroundTableRead reads(std::move(table), [&](std::function<void()> task) {
            std::lock_guard lock(mutex);
            posted.push_back(std::move(task));
        });
        std::size_t handedBack = 0;
        reads.Start({}, [&](bool read, std::vector<ArpEntry>& entries) {
            EXPECT_TRUE(read);
            handedBack = entries.size();
        });
        for (int i = 0; i < 500; ++i) {
            std::lock_guard lock(mutex);
            if (!posted.empty()) {
                break;
            }
            std::this_thread::sleep_for(10ms);  // the thread's own time, not a timer under test
        }
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_NE(seen->readOn, std::this_thread::get_id());
        EXPECT_EQ(handedBack, 0u) << "nothing runs before the monitor's thread runs the post";
        posted[0]();
        EXPECT_EQ(handedBack, 3u);

        // Started again, then gone: the outcome still queued is dropped.
        reads.Start({}, [](bool, std::vector<ArpEntry>&) { ADD_FAILURE() << "handed back late"; });
        for (int i = 0; i < 500; ++i) {
            std::lock_guard lock(mutex);
            if (posted.size() == 2) {
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
    }
    ASSERT_EQ(posted.size(), 2u);
    posted[1]();
}

}  // namespace
}  // namespace kestrove::test
