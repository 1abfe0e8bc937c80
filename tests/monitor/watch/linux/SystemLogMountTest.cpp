#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeSyslogDaemon.h"
#include "monitor/watch/linux/DevLogSyslog.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"

namespace kestrove::test {
namespace {

// The system log as the monitor makes it, with a socket of the test's own bound at /dev/log:
// /dev is covered by an empty tmpfs in a mount namespace only this test process sees.
TEST(SystemLogMountTest, TheMonitorsSystemLogWritesToDevLog) {
    KESTROVE_REQUIRE_ROOT();
    TmpfsMount dev("/dev", 1 << 20);
    FakeSyslogDaemon daemon("/dev/log");
    std::unique_ptr<SystemLog> syslog = CreateSystemLog();
    syslog->Send(
        "2007/05/05 14:03:09\t同一MACアドレスが重複しています\t02-00-00-00-00-66 "
        "( 10.200.  0. 66) と 02-00-00-00-00-66 ( 10.200.  0. 67)");
    EXPECT_THAT(
        daemon.Receive(),
        ::testing::MatchesRegex("<12>.* kestrove\\[[0-9]+\\]: 同一MACアドレスが重複しています "
                                "02-00-00-00-00-66 \\( 10.200.  0. 66\\) と .*"));
}

}  // namespace
}  // namespace kestrove::test
