#include "monitor/watch/NotificationLimiter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "monitor/watch/WatchTexts.h"
#include "testsupport/FakeTimers.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

struct Shown {
    std::chrono::milliseconds at;
    std::string summary;
    std::string body;
    bool operator==(const Shown&) const = default;
};

class NotificationLimiterTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeTimerFactory timers{clock};
    std::vector<Shown> shown;
    TimePoint start = clock.Now();
    NotificationLimiter limiter{
        clock, timers, [this](const DesktopText& text) {
            shown.push_back(
                {std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now() - start),
                 text.summary, text.body});
        }};
    void Post(const std::string& name, int rank = 0) {
        limiter.Post(AlarmNotice{rank, "m-" + name, "d-" + name, "c-" + name});
    }
};

TEST_F(NotificationLimiterTest, OnePer5SecondsAndTheRestSummedUpInTheNext) {
    Post("a");
    timers.Advance(1s);
    Post("b");
    Post("c");
    Post("d");
    EXPECT_EQ(limiter.Waiting(), 3u);
    timers.Advance(3999ms);
    EXPECT_EQ(shown.size(), 1u);
    timers.Advance(1ms);
    timers.Advance(20s);
    EXPECT_THAT(shown, ElementsAre(Shown{0ms, "m-a", "d-a\nc-a"},
                                   Shown{5000ms, "m-b",
                                         "d-b\nc-b\n最新のアラーム: m-d d-d\n"
                                         "（ほか1件のアラームがあります）"}));
}

TEST_F(NotificationLimiterTest, AlarmAfterAQuietSpellGoesOutAtOnce) {
    Post("a");
    timers.Advance(5s);
    Post("b");
    timers.Advance(2s);
    Post("c");  // 2 s after b: waits until 10 s
    timers.Advance(2999ms);
    Post("d");
    timers.Advance(1ms);
    timers.Advance(4999ms);
    Post("e");  // 4.999 s after the summary: waits
    timers.Advance(1ms);
    EXPECT_THAT(shown, ElementsAre(Shown{0ms, "m-a", "d-a\nc-a"}, Shown{5000ms, "m-b", "d-b\nc-b"},
                                   Shown{10000ms, "m-c", "d-c\nc-c\n最新のアラーム: m-d d-d"},
                                   Shown{15000ms, "m-e", "d-e\nc-e"}));
    EXPECT_EQ(limiter.Waiting(), 0u);
}

// A decoy sent just before the attack must not keep the attack out of the notification.
TEST_F(NotificationLimiterTest, TheMostSevereWaitingAlarmLeadsWhateverCameFirst) {
    Post("first");
    Post("decoy", 1);
    Post("gateway", 4);
    Post("other", 3);
    Post("gateway2", 4);  // equal rank: the first one stays in the lead
    Post("newest", 1);
    timers.Advance(5s);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], (Shown{5000ms, "m-gateway",
                               "d-gateway\nc-gateway\n最新のアラーム: m-newest d-newest\n"
                               "（ほか3件のアラームがあります）"}));

    timers.Advance(1s);
    Post("x", 1);
    Post("gateway3", 4);  // the newest is the most severe: named once
    timers.Advance(5s);
    EXPECT_EQ(shown[2], (Shown{10000ms, "m-gateway3",
                               "d-gateway3\nc-gateway3\n（ほか1件のアラームがあります）"}));
}

TEST(AlarmRankTest, TheGatewaysChangeFirstThenChangesThenClaimsOfOurMacThenDuplicates) {
    Ipv4 gateway = 0;
    ASSERT_TRUE(ParseDotted("192.168.1.1", gateway));
    std::string_view gatewayDetail =
        "(192.168.  1.  1:router) 00-11-22-33-44-55 -> 02-00-00-00-00-66";
    std::string_view hostDetail = "(192.168.  1. 11:) 00-11-22-33-44-55 -> 02-00-00-00-00-66";
    int gatewayChange = AlarmRank(kChangeMessage, gatewayDetail, gateway);
    int change = AlarmRank(kChangeMessage, hostDetail, gateway);
    int broadcast = AlarmRank(kBroadcastMessage, "00-AA-BB-CC-DD-01 (192.168.  1. 66)", gateway);
    int duplicate = AlarmRank(kDuplicateMessage, "a と b", gateway);
    EXPECT_GT(gatewayChange, change);
    EXPECT_GT(change, broadcast);
    EXPECT_GT(broadcast, duplicate);
    EXPECT_EQ(AlarmRank(kChangeMessage, gatewayDetail, 0), change) << "no default route";
    EXPECT_EQ(AlarmRank(kChangeMessage, "(garbage", gateway), change);
}

}  // namespace
}  // namespace kestrove::test
