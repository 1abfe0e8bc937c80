#include "common/Yielder.h"

#include <gtest/gtest.h>

#include "testsupport/FakeClock.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

// Counts the event rounds; a pause moves the fake clock on as the event loop's wait would.
class CountingYielder final : public SlicedYielder {
public:
    explicit CountingYielder(test::FakeClock& clock) : SlicedYielder(clock), clock_(clock) {}
    void Pause(std::chrono::milliseconds duration) override {
        clock_.Advance(duration);
        StartSlice();
    }
    int rounds = 0;

protected:
    void RunPendingEvents() override { ++rounds; }

private:
    test::FakeClock& clock_;
};

TEST(SlicedYielder, EventsRunOncePerSliceOfWorkNotPerItem) {
    test::FakeClock clock;
    CountingYielder yielder(clock);
    // 65,536 items of 1 µs each: about 65 ms of work gives 13 rounds, not 65,536.
    for (int i = 0; i < 65536; ++i) {
        clock.Set(clock.Now() + 1us);
        yielder.GiveWay();
    }
    EXPECT_EQ(yielder.rounds, 13);

    // Items that take longer than a slice give way after each.
    for (int i = 0; i < 10; ++i) {
        clock.Advance(6ms);
        yielder.GiveWay();
    }
    EXPECT_EQ(yielder.rounds, 23);
}

TEST(SlicedYielder, NoRoundWithinASliceAndAClockSetBackIsASlicePassed) {
    test::FakeClock clock;
    CountingYielder yielder(clock);
    for (int i = 0; i < 1000; ++i) {
        yielder.GiveWay();  // no time passes: no sleeping, no event round
    }
    EXPECT_EQ(yielder.rounds, 0);
    clock.Advance(4ms);
    yielder.GiveWay();
    EXPECT_EQ(yielder.rounds, 0);
    clock.Advance(1ms);
    yielder.GiveWay();
    EXPECT_EQ(yielder.rounds, 1);

    clock.Advance(-1h);
    yielder.GiveWay();
    EXPECT_EQ(yielder.rounds, 2);
    yielder.GiveWay();
    EXPECT_EQ(yielder.rounds, 2);
}

TEST(SlicedYielder, APauseStartsANewSlice) {
    test::FakeClock clock;
    CountingYielder yielder(clock);
    clock.Advance(4ms);
    yielder.Pause(200ms);  // events ran all through the pause
    clock.Advance(4ms);
    yielder.GiveWay();
    EXPECT_EQ(yielder.rounds, 0);
}

}  // namespace
}  // namespace kestrove
