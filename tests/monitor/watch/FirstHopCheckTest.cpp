#include "monitor/watch/FirstHopCheck.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

IpAddress A(const char* text) {
    IpAddress a;
    EXPECT_TRUE(ParseIp(text, a)) << text;
    return a;
}

// Answers what the test says, once the test lets it.
class HeldProber final : public FirstHopProber {
public:
    FirstHopAnswer Probe(const IpAddress& beyond, std::chrono::milliseconds) override {
        std::future<FirstHopAnswer> answer;
        {
            std::lock_guard lock(mutex_);
            targets_.push_back(beyond);
            answer = release.get_future();
        }
        started_.notify_all();
        return answer.get();
    }
    // The targets once `count` probes have started.
    std::vector<IpAddress> Targets(std::size_t count) {
        std::unique_lock lock(mutex_);
        started_.wait_for(lock, 5s, [&] { return targets_.size() >= count; });
        return targets_;
    }
    std::promise<FirstHopAnswer> release;

private:
    std::mutex mutex_;
    std::condition_variable started_;
    std::vector<IpAddress> targets_;
};

TEST(FirstHopCheckTest, OneProbeAtATimeAtMostOneASecondAndTheAnswerOnTheMonitorsThread) {
    test::FakeClock clock;
    HeldProber prober;
    std::vector<std::function<void()>> posted;
    std::mutex postedMutex;
    FirstHopCheck check(&prober, clock, [&](std::function<void()> task) {
        std::lock_guard lock(postedMutex);
        posted.push_back(std::move(task));
    });
    std::vector<FirstHopAnswer> answers;
    auto done = [&](const FirstHopAnswer& a) { answers.push_back(a); };

    ASSERT_TRUE(check.Request(IpAddress::Family::V4, done));
    EXPECT_FALSE(check.Request(IpAddress::Family::V4, done)) << "one is under way";
    ASSERT_EQ(prober.Targets(1).size(), 1u);
    prober.release.set_value({FirstHopAnswer::Kind::Answered, A("10.0.0.66")});
    for (int i = 0; i < 200; ++i) {
        std::lock_guard lock(postedMutex);
        if (!posted.empty()) {
            break;
        }
        std::this_thread::sleep_for(5ms);  // the worker thread is real
    }
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_TRUE(answers.empty()) << "nothing arrives but through the monitor's thread";
    posted[0]();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(FormatIp(answers[0].from), "10.0.0.66");
    EXPECT_EQ(FormatIp(prober.Targets(1).at(0)), "192.0.2.1");

    prober.release = {};
    clock.Advance(300ms);
    EXPECT_FALSE(check.Request(IpAddress::Family::V6, done)) << "within a second of the last";
    clock.Advance(800ms);
    EXPECT_TRUE(check.Request(IpAddress::Family::V6, done));
    ASSERT_EQ(prober.Targets(2).size(), 2u);
    EXPECT_EQ(FormatIp(prober.Targets(2).at(1)), "2001:db8::1");
    prober.release.set_value({FirstHopAnswer::Kind::Silent, {}});
    check.Stop();
    // Stopped: what was posted late does nothing, and no further probe goes out.
    for (auto& task : posted) {
        task();
    }
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_FALSE(check.Request(IpAddress::Family::V4, done));
}

TEST(FirstHopCheckTest, TheAnswerSaysWhoStandsBetween) {
    IpAddress gateway = A("10.0.0.1");
    MacAddress mac = test::Mac("02-00-00-00-00-66");
    EXPECT_EQ(DescribeFirstHop(gateway, mac, {}, {FirstHopAnswer::Kind::Answered, A("10.0.0.66")}),
              "10.0.0.1 (02-00-00-00-00-66)への最初の中継点：10.0.0.66 "
              "が応答しました（ゲートウェイではない機器が通信を中継しています）");
    EXPECT_EQ(DescribeFirstHop(gateway, mac, {}, {FirstHopAnswer::Kind::Answered, gateway}),
              "10.0.0.1 (02-00-00-00-00-66)への最初の中継点：ゲートウェイ自身が応答しました");
    // An IPv6 router answers from its global address.
    EXPECT_EQ(DescribeFirstHop(A("fe80::1"), {}, {A("2001:db8::1")},
                               {FirstHopAnswer::Kind::Answered, A("2001:db8::1")}),
              "fe80::1への最初の中継点：ゲートウェイ自身が応答しました");
    EXPECT_EQ(DescribeFirstHop(gateway, mac, {}, {FirstHopAnswer::Kind::Silent, {}}),
              "10.0.0.1 (02-00-00-00-00-66)への最初の中継点：応答がありません"
              "（通信が途中で捨てられている可能性があります）");
    EXPECT_EQ(DescribeFirstHop(gateway, mac, {}, {FirstHopAnswer::Kind::Failed, {}}), "");
}

TEST(FirstHopCheckTest, WithoutAProberNothingIsEverSent) {
    test::FakeClock clock;
    FirstHopCheck check(nullptr, clock, [](std::function<void()>) { FAIL(); });
    EXPECT_FALSE(check.Request(IpAddress::Family::V4, [](const FirstHopAnswer&) { FAIL(); }));
}

}  // namespace
}  // namespace kestrove
