// The alarm log on a volume that is really full (run by wine_lan_test.py, which gives the test
// a small volume of its own).
#include <gtest/gtest.h>

#include <string>

#include "monitor/watch/AlarmLog.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/SmallDisk.h"

namespace kestrove::test {
namespace {

TEST(AlarmLogFullDisk, LineCutShortByAFullDiskIsTakenBackWhole) {
    SmallDisk disk;
    ASSERT_FALSE(disk.Folder().empty()) << "needs KESTROVE_SMALL_DISK";
    AlarmLog log(disk.Folder());
    ASSERT_TRUE(log.AppendAlarmLine("first"));
    ASSERT_TRUE(disk.Fill());
    // Only the rest of the log's last page is left: a short line fits, a long one starts to.
    ASSERT_TRUE(log.AppendAlarmLine("fits"));
    EXPECT_FALSE(log.AppendAlarmLine(std::string(6000, 'x')));
    EXPECT_EQ(ReadFile(log.Path()), "first\r\nfits\r\n");
    disk.Free();
    ASSERT_TRUE(log.AppendAlarmLine("later"));
    EXPECT_EQ(ReadFile(log.Path()), "first\r\nfits\r\nlater\r\n")
        << "lines resume once there is room";
}

}  // namespace
}  // namespace kestrove::test
