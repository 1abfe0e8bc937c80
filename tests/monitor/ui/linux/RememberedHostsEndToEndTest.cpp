#include <csignal>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/MonitorProcess.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

// The built monitor stopped and started again over one program folder: what it learned before
// it stopped catches a poisoning that happened while it was not running.
TEST(RememberedHostsEndToEndTest, PoisoningWhileStoppedIsCaughtAfterTheRestart) {
    KESTROVE_REQUIRE_ROOT();
    MonitorFolder folder;
    PoisonedLan lan("remember-e2e");
    NetNamespace& victim = lan.Victim();
    victim.Ip({"route", "add", "default", "via", "10.200.0.1", "dev", "veth0"});
    ASSERT_EQ(
        victim.Exec("ping -c1 -W1 10.200.0.1 >/dev/null || ping -c1 -W2 10.200.0.1 >/dev/null"), 0);
    ASSERT_EQ(
        victim.Exec("ping -c1 -W1 10.200.0.66 >/dev/null || ping -c1 -W2 10.200.0.66 >/dev/null"),
        0);

    auto monitor = folder.Start(victim);
    ASSERT_TRUE(monitor->Started());
    ASSERT_TRUE(WaitFor(
        [&] { return folder.LogText().find("プログラムを開始しました") != std::string::npos; },
        10s));
    std::this_thread::sleep_for(2500ms);  // a few scans
    monitor->Signal(SIGTERM);
    ASSERT_EQ(monitor->Wait(10s), std::optional<int>(0));
    std::string hosts = ReadFile(folder.Path() / "hosts.dat");
    EXPECT_THAT(hosts,
                ::testing::HasSubstr("network 10.200.0.0 255.255.255.0 02-00-00-00-00-01\r\n"));
    EXPECT_THAT(hosts, ::testing::HasSubstr("host 10.200.0.1 02-00-00-00-00-01 "));

    // The real gateway goes quiet so nothing undoes the poison before the monitor is back.
    lan.Gateway().Ip({"link", "set", "veth0", "down"});
    ASSERT_TRUE(WaitFor(
        [&] {
            lan.Poison("02:00:00:00:00:66");
            return victim.ExecOutput("ip neigh show 10.200.0.1").find("02:00:00:00:00:66") !=
                   std::string::npos;
        },
        3s));

    monitor = folder.Start(victim);
    ASSERT_TRUE(monitor->Started());
    const std::string expected =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    EXPECT_TRUE(WaitFor([&] { return folder.LogText().find(expected) != std::string::npos; }, 10s))
        << folder.LogText();
    std::this_thread::sleep_for(1500ms);
    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(10s), std::optional<int>(0));
    EXPECT_EQ(Occurrences(folder.LogText(), "MACアドレスが変化しました"), 1u) << folder.LogText();
}

}  // namespace
}  // namespace kestrove::test
