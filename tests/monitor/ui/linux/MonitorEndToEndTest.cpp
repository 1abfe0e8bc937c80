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

// A poisoning that the real gateway undoes 50 ms later falls between two scans; the kernel's
// notifications still tell the monitor of both changes, in order.
TEST_F(MonitorEndToEndTest, PoisoningUndoneAfter50msIsLoggedBothWays) {
    KESTROVE_REQUIRE_ROOT();
    PoisonedLan lan("e2eq");
    NetNamespace& victim = lan.Victim();
    auto monitor = folder.Start(victim);
    ASSERT_TRUE(monitor->Started());
    ASSERT_TRUE(WaitFor(
        [&] { return folder.LogText().find("プログラムを開始しました") != std::string::npos; },
        10s));
    ASSERT_EQ(victim.Exec("ping -c1 -W1 10.200.0.1 >/dev/null"), 0);
    std::this_thread::sleep_for(2500ms);  // a few scans record the gateway

    lan.Poison("02:00:00:00:00:66");
    std::this_thread::sleep_for(50ms);
    SendArp(lan.Gateway(), "veth0", 1, "02:00:00:00:00:01", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
    const std::string there =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    const std::string back =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-66 -> 02-00-00-00-00-01";
    EXPECT_TRUE(WaitFor([&] { return folder.LogText().find(back) != std::string::npos; }, 5s))
        << folder.LogText();
    std::this_thread::sleep_for(1500ms);  // a scan or two more must add nothing

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(10s), std::optional<int>(0));
    std::string log = folder.LogText();
    std::size_t first = log.find(there);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(back, first), std::string::npos) << log;
    EXPECT_EQ(log.find("MACアドレスが変化しました", log.find(back) + back.size()),
              std::string::npos)
        << "two alarms, no more: " << log;
}

}  // namespace
}  // namespace kestrove::test
