#include <csignal>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/MonitorProcess.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class MonitorEndToEndTest : public ::testing::Test {
protected:
    MonitorFolder folder;
};

TEST_F(MonitorEndToEndTest, RealPoisoningIsLoggedAndClosingWritesTheEndLine) {
    KESTROVE_REQUIRE_ROOT();
    PoisonedLan lan("e2e");
    NetNamespace& victim = lan.Victim();

    auto monitor = folder.Start(victim);
    ASSERT_TRUE(monitor->Started());
    ASSERT_TRUE(WaitFor(
        [&] { return folder.LogText().find("プログラムを開始しました") != std::string::npos; },
        10s))
        << "the monitor did not start";

    // A second copy ends at once and leaves the first alone.
    auto second = folder.Start(victim);
    EXPECT_EQ(second->Wait(5s), std::optional<int>(0));

    ASSERT_EQ(victim.Exec("ping -c1 -W1 10.200.0.1 >/dev/null"), 0);
    std::this_thread::sleep_for(2500ms);  // a few scans record the gateway

    const std::string expected =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    bool logged = WaitFor(
        [&] {
            lan.Poison("02:00:00:00:00:66");
            return folder.LogText().find(expected) != std::string::npos;
        },
        8s);
    EXPECT_TRUE(logged) << folder.LogText();

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(10s), std::optional<int>(0));
    std::string log = folder.LogText();
    EXPECT_EQ(log.rfind("プログラムを開始しました"), log.find("プログラムを開始しました"))
        << "one start line: the second copy wrote nothing";
    EXPECT_NE(log.find("\tプログラムを終了しました\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

}  // namespace
}  // namespace kestrove::test
