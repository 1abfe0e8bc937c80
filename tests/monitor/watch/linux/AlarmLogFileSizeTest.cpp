#include <sys/resource.h>

#include <csignal>

#include "../AlarmLogFixture.h"

namespace kestrove::test {
namespace {

TEST_F(AlarmLogTest, LineCutShortByAFullDiskIsTakenBackWhole) {
    ASSERT_TRUE(log.AppendAlarmLine("first"));
    // A file-size limit stands in for a full disk: the write stops part-way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit{20, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    bool written = log.AppendAlarmLine("a line far too long to fit in the space left");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(log.Path()), "first\r\n");
    ASSERT_TRUE(log.AppendAlarmLine("later"));
    EXPECT_EQ(ReadFile(log.Path()), "first\r\nlater\r\n") << "lines resume once there is room";
}

}  // namespace
}  // namespace kestrove::test
