#include "monitor/watch/NotificationLimiter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/FakeTimers.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

class NotificationLimiterTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeTimerFactory timers{clock};
    std::vector<std::pair<std::chrono::milliseconds, std::string>> shown;
    TimePoint start = clock.Now();
    NotificationLimiter limiter{
        clock, timers, [this](const std::string& text) {
            shown.emplace_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now() - start), text);
        }};
};

TEST_F(NotificationLimiterTest, OnePer5SecondsAndTheRestSummedUpInTheNext) {
    limiter.Post("a");
    timers.Advance(1s);
    limiter.Post("b");
    limiter.Post("c");
    limiter.Post("d");
    EXPECT_EQ(limiter.Waiting(), 3u);
    timers.Advance(3999ms);
    EXPECT_EQ(shown.size(), 1u);
    timers.Advance(1ms);
    timers.Advance(20s);
    EXPECT_THAT(shown,
                ElementsAre(std::pair{0ms, std::string("a")},
                            std::pair{5000ms, std::string("b\n（ほか2件のアラームがあります）")}));
}

TEST_F(NotificationLimiterTest, AlarmAfterAQuietSpellGoesOutAtOnce) {
    limiter.Post("a");
    timers.Advance(5s);
    limiter.Post("b");
    timers.Advance(2s);
    limiter.Post("c");  // 2 s after b: waits until 10 s
    timers.Advance(2999ms);
    limiter.Post("d");
    timers.Advance(1ms);
    timers.Advance(4999ms);
    limiter.Post("e");  // 4.999 s after the summary: waits
    timers.Advance(1ms);
    EXPECT_THAT(shown,
                ElementsAre(std::pair{0ms, std::string("a")}, std::pair{5000ms, std::string("b")},
                            std::pair{10000ms, std::string("c\n（ほか1件のアラームがあります）")},
                            std::pair{15000ms, std::string("e")}));
    EXPECT_EQ(limiter.Waiting(), 0u);
}

}  // namespace
}  // namespace kestrove::test
