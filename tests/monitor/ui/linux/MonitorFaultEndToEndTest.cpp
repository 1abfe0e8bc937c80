// The built monitor with its log folder on a disk that is full: it watches on, loses only the
// lines the disk could not take, leaves no half line, and writes again once there is room.
#include <csignal>
#include <regex>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/ChildProcess.h"
#include "testsupport/MonitorProcess.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

TEST(MonitorFaultEndToEndTest, FullLogDiskLosesOnlyWhatItCouldNotHoldAndTheWatchGoesOn) {
    KESTROVE_REQUIRE_ROOT();
    MonitorFolder folder;
    std::filesystem::create_directory(folder.Path() / "log");
    TmpfsMount logDisk(folder.Path() / "log",
                       16 * 1024);  // the monitor, started below, sees it too
    std::filesystem::path filler = FillDisk(folder.Path() / "log");

    PoisonedLan lan("fault");
    NetNamespace& victim = lan.Victim();

    auto process = folder.Start(victim);
    ChildProcess& monitor = *process;
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(
        WaitFor([&] { return std::filesystem::exists(folder.Runtime() / "Kestrove.lock"); }, 10s));
    ASSERT_EQ(victim.Exec("ping -c1 -W1 10.200.0.1 >/dev/null"), 0);
    std::this_thread::sleep_for(2500ms);  // a few scans record the gateway

    for (int i = 0; i < 3; ++i) {
        lan.Poison("02:00:00:00:00:66");
        std::this_thread::sleep_for(1s);
    }
    EXPECT_EQ(folder.LogText(), "") << "nothing, not even part of a line, on a full disk";
    EXPECT_EQ(monitor.Wait(0ms), std::nullopt) << "the monitor runs on";

    std::filesystem::remove(filler);
    const std::string later = " -> 02-00-00-00-00-67\r\n";
    EXPECT_TRUE(WaitFor(
        [&] {
            lan.Poison("02:00:00:00:00:67");
            return folder.LogText().find(later) != std::string::npos;
        },
        8s))
        << folder.LogText();

    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(10s), std::optional<int>(0));
    std::string log = folder.LogText();
    EXPECT_EQ(log.find("02-00-00-00-00-01 -> 02-00-00-00-00-66"), std::string::npos);
    EXPECT_TRUE(log.ends_with("\tプログラムを終了しました\r\n")) << log;
    // Every line whole: a stamp, a tab, a message.
    const std::regex whole(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\t[^\r\n]+)");
    for (std::size_t pos = 0; pos < log.size();) {
        std::size_t end = log.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        EXPECT_TRUE(std::regex_match(log.substr(pos, end - pos), whole)) << log;
        pos = end + 2;
    }
}

}  // namespace
}  // namespace kestrove::test
