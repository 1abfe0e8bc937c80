#include "sweeper/SubnetSweep.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using test::Ip;

struct Attempt {
    Ipv4 address;
    std::chrono::milliseconds at;  // since the sweeper started
};

// Records every attempt with its moment on the fake clock; some addresses fail at once.
class RecordingProber final : public Prober {
public:
    explicit RecordingProber(test::FakeClock& clock) : clock_(clock), start_(clock.Now()) {}

    bool Probe(Ipv4 address) override {
        auto at = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now() - start_);
        attempts.push_back({address, at});
        return failing.count(address) == 0;
    }

    std::vector<Attempt> attempts;
    std::set<Ipv4> failing;

private:
    test::FakeClock& clock_;
    TimePoint start_;
};

std::vector<Ipv4> Block(std::string_view first, int count) {
    std::vector<Ipv4> list;
    for (int i = 0; i < count; ++i) {
        list.push_back(Ip(first) + static_cast<Ipv4>(i));
    }
    return list;
}

using Moments = std::vector<std::chrono::milliseconds>;

class SubnetSweepTest : public ::testing::Test {
protected:
    // A sweeper over `count` addresses from `first`, started.
    SubnetSweep& Start(std::string_view first, int count) {
        sweep = std::make_unique<SubnetSweep>(timers, prober, Block(first, count));
        sweep->Start();
        return *sweep;
    }

    Moments AttemptMoments() const {
        Moments at;
        for (const Attempt& a : prober.attempts) {
            at.push_back(a.at);
        }
        return at;
    }

    test::FakeClock clock;
    test::FakeTimerFactory timers{clock};
    RecordingProber prober{clock};
    std::unique_ptr<SubnetSweep> sweep;
};

TEST_F(SubnetSweepTest, OneProbePerSecondThenAPauseThenTheNextSweep) {
    Start("192.168.1.0", 256);
    timers.Advance(999ms);
    EXPECT_TRUE(prober.attempts.empty()) << "the first sweep begins one second after start";

    timers.Advance(257s);
    ASSERT_EQ(prober.attempts.size(), 256u);
    for (std::size_t k = 0; k < 256; ++k) {
        EXPECT_EQ(prober.attempts[k].address, Ip("192.168.1.0") + k) << k;
        EXPECT_EQ(prober.attempts[k].at, 1s + k * 1s) << k;
    }
    EXPECT_FALSE(sweep->Sweeping()) << "the last probe's second is over";

    // One second's wait after the last probe, one second's pause, then .0 again.
    timers.Advance(1s);
    ASSERT_EQ(prober.attempts.size(), 257u);
    EXPECT_EQ(prober.attempts[256].address, Ip("192.168.1.0"));
    EXPECT_EQ(prober.attempts[256].at, 258s);
    EXPECT_TRUE(sweep->Sweeping());
}

TEST_F(SubnetSweepTest, SweepsNeverOverlapNorSpeedUp) {
    Start("10.0.0.8", 8);
    timers.Advance(60s);
    // Each sweep takes 8 s plus the pause: the probes come in whole sweeps, in order, with at
    // least a second between any two.
    ASSERT_GE(prober.attempts.size(), 40u);
    for (std::size_t k = 0; k < prober.attempts.size(); ++k) {
        EXPECT_EQ(prober.attempts[k].address, Ip("10.0.0.8") + k % 8) << k;
        if (k > 0) {
            EXPECT_GE(prober.attempts[k].at - prober.attempts[k - 1].at, 1s) << k;
        }
    }
    EXPECT_EQ(prober.attempts[8].at - prober.attempts[7].at, 2s);
}

TEST_F(SubnetSweepTest, FailedAttemptSkipsOnlyThatAddressWithoutWaiting) {
    prober.failing = {Ip("192.168.1.2"), Ip("192.168.1.3")};
    Start("192.168.1.0", 6);
    timers.Advance(5s);
    // .2 and .3 fail at once and .4 follows at the same moment.
    EXPECT_EQ(AttemptMoments(), (Moments{1s, 2s, 3s, 3s, 3s, 4s}));
}

TEST_F(SubnetSweepTest, EveryAttemptFailingRetriesOncePerSecond) {
    prober.failing = {Ip("10.0.0.1"), Ip("10.0.0.2")};
    Start("10.0.0.1", 2);
    timers.Advance(3s);
    EXPECT_EQ(AttemptMoments(), (Moments{1s, 1s, 2s, 2s, 3s, 3s}));
}

TEST_F(SubnetSweepTest, NothingToSweepIdlesWithoutProbing) {
    Start("10.0.0.1", 0);
    timers.Advance(1h);
    EXPECT_TRUE(prober.attempts.empty());
    EXPECT_FALSE(sweep->Sweeping());
}

}  // namespace
}  // namespace kestrove
