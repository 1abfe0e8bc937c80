#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "FakeSyslogDaemon.h"
#include "monitor/watch/linux/DevLogSyslog.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

TEST(DevLogSyslog, LinesArriveAtTheSocketInTheCLibrarysForm) {
    TempFolder dir;
    FakeSyslogDaemon daemon(dir / "log");
    DevLogSyslog syslog(dir / "log");
    syslog.Send("2007/05/05 14:03:09\tMACアドレスが変化しました\t(192.168.  1.  1:) A -> B");
    std::string datagram = daemon.Receive();
    std::regex form(
        R"(<12>[A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] kestrove\[([0-9]+)\]: (.*))");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(datagram, m, form)) << datagram;
    EXPECT_EQ(std::stoi(m[1]), ::getpid());
    EXPECT_EQ(m[2], "MACアドレスが変化しました (192.168.  1.  1:) A -> B");

    syslog.Send("2007/05/05 14:03:10\tプログラムを終了しました");
    EXPECT_THAT(daemon.Receive(), ::testing::StartsWith("<14>"));
}

TEST(DevLogSyslog, DaemonRestartedOrAbsentLosesLinesButNothingElse) {
    TempFolder dir;
    DevLogSyslog syslog(dir / "log");
    syslog.Send("2007/05/05 14:03:09\tプログラムを開始しました");  // no daemon: nothing happens
    {
        FakeSyslogDaemon daemon(dir / "log");
        syslog.Send("2007/05/05 14:03:09\tfirst");
        EXPECT_THAT(daemon.Receive(), ::testing::EndsWith(": first"));
    }
    std::filesystem::remove(dir / "log");
    FakeSyslogDaemon restarted(dir / "log");
    syslog.Send("2007/05/05 14:03:09\tsecond");
    EXPECT_THAT(restarted.Receive(), ::testing::EndsWith(": second")) << "connected anew";
}

}  // namespace
}  // namespace kestrove::test
