// The built monitor with its log folder on a disk that is full: it watches on, loses only the
// lines the disk could not take, leaves no half line, and writes again once there is room. And
// the monitor in a program folder it may not write, as an installed copy is.
#include <sys/stat.h>

#include <csignal>
#include <regex>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/Cp932.h"
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

TEST(MonitorFaultEndToEndTest, AReadOnlyProgramFolderRecordsInTheUsersOwnDataFolder) {
    KESTROVE_REQUIRE_ROOT();
    MonitorFolder folder;
    ReadOnlyBind readOnly(folder.Path());  // the monitor, started below, sees it too
    const std::filesystem::path own = folder.Runtime() / ".local" / "share" / "Kestrove";
    const std::filesystem::path log = own / "log" / "alart.log";
    PoisonedLan lan("rodata");

    auto process = folder.Start(lan.Victim());
    ChildProcess& monitor = *process;
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(WaitFor(
        [&] { return Cp932ToUtf8(ReadFile(log)).ends_with("\tプログラムを開始しました\r\n"); },
        10s))
        << "the start line belongs in " << log;
    struct stat st {};
    ASSERT_EQ(::stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_TRUE(std::filesystem::exists(own / "setting.ini"));

    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(10s), std::optional<int>(0));
    EXPECT_TRUE(Cp932ToUtf8(ReadFile(log)).ends_with("\tプログラムを終了しました\r\n"));
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        beside.push_back(entry.path().filename().string());
    }
    EXPECT_THAT(beside, ::testing::ElementsAre("Kestrove"));
}

TEST(MonitorFaultEndToEndTest, NoWritableFolderLeavesTheWarningUpTheWatchRunningAndTermEndsIt) {
    KESTROVE_REQUIRE_ROOT();
    MonitorFolder folder;
    ReadOnlyBind readOnlyProgram(folder.Path());
    // Below $HOME (the runtime folder, whose lock file must stay writable).
    std::filesystem::create_directory(folder.Runtime() / ".local");
    ReadOnlyBind readOnlyHome(folder.Runtime() / ".local");
    PoisonedLan lan("nodata");

    auto process = folder.Start(lan.Victim());
    ChildProcess& monitor = *process;
    ASSERT_TRUE(monitor.Started());
    // The warning waits for a click that never comes; the monitor must neither end nor hang.
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(monitor.Wait(0ms), std::nullopt) << "the monitor runs on";
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(10s), std::optional<int>(0));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Runtime() / ".local"));
}

}  // namespace
}  // namespace kestrove::test
