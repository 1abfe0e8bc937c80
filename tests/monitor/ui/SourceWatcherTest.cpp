#include "monitor/ui/SourceWatcher.h"

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>

#include "netinfo/NeighbourEvents.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

// A source with nothing to watch that asks to be read every few milliseconds (as Windows's
// polled table does), counting the reads and telling one entry on the third.
class PolledSource final : public NeighbourEvents {
public:
    int Handle() const override { return -1; }
    std::chrono::milliseconds PollInterval() const override { return interval; }
    NeighbourEventStatus Read(std::vector<ArpEntry>& entries) override {
        if (++reads == 3) {
            entries.push_back({0x0A000001, {}});
        }
        return closeAt == reads ? NeighbourEventStatus::Closed : NeighbourEventStatus::Drained;
    }

    std::chrono::milliseconds interval = 5ms;
    int reads = 0;
    int closeAt = -1;
};

SourceWatcher WatchPolled(PolledSource& source, std::function<bool()> ready) {
    return SourceWatcher(source.Handle(), [&source] { return source.PollInterval(); },
                         std::move(ready));
}

TEST(SourceWatcher, PolledSourceIsHeardAtItsIntervalUntilStopped) {
    auto owned = std::make_unique<PolledSource>();
    PolledSource* source = owned.get();
    int heardEntries = 0;
    SourceWatcher notifier = WatchPolled(*source, [&] {
        std::vector<ArpEntry> entries;
        source->Read(entries);
        heardEntries += static_cast<int>(entries.size());
        return true;
    });
    EXPECT_TRUE(notifier.IsWatching());
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->reads >= 5; }, 5000));
    EXPECT_EQ(heardEntries, 1);

    notifier.Stop();
    EXPECT_FALSE(notifier.IsWatching());
    int reads = source->reads;
    QTest::qWait(50);
    EXPECT_EQ(source->reads, reads);
}

TEST(SourceWatcher, PollingEndsWhenTheEngineSaysTheSourceIsGone) {
    auto owned = std::make_unique<PolledSource>();
    PolledSource* source = owned.get();
    source->closeAt = 2;
    SourceWatcher notifier = WatchPolled(*source, [source] {
        std::vector<ArpEntry> entries;
        return source->Read(entries) != NeighbourEventStatus::Closed;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->reads >= 2; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(source->reads, 2);
    EXPECT_FALSE(notifier.IsWatching());
}

TEST(SourceWatcher, SlowReadAsksForALongerWaitBeforeTheNext) {
    auto owned = std::make_unique<PolledSource>();
    PolledSource* source = owned.get();
    SourceWatcher notifier = WatchPolled(*source, [source] {
        std::vector<ArpEntry> entries;
        source->Read(entries);
        source->interval = 10'000ms;
        return true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->reads >= 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(source->reads, 1);
}

TEST(SourceWatcher, SourceWithNothingToWatchOrPollIsLeftAlone) {
    auto owned = std::make_unique<PolledSource>();
    PolledSource* source = owned.get();
    source->interval = 0ms;
    SourceWatcher notifier = WatchPolled(*source, [] { return true; });
    EXPECT_FALSE(notifier.IsWatching());
    QTest::qWait(30);
    EXPECT_EQ(source->reads, 0);
}

}  // namespace
}  // namespace kestrove
