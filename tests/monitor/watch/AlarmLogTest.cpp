#include "AlarmLogFixture.h"
#include "testsupport/SpecialFiles.h"

namespace kestrove::test {
namespace {

TEST_F(AlarmLogTest, FirstLineCreatesFolderAndFileWithExactlyThatLine) {
    EXPECT_EQ(log.Path(), dir / "log" / "alart.log");
    ASSERT_TRUE(log.AppendAlarmLine("2007/05/05 14:03:09\tプログラムを開始しました"));
    EXPECT_EQ(ReadFile(log.Path()),
              "2007/05/05 14:03:09\t\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8A\x4A\x8E"
              "\x6E\x82\xB5\x82\xDC\x82\xB5\x82\xBD\r\n");
}

TEST_F(AlarmLogTest, LinesKeepTheirOrderAndClearDeletesTheFile) {
    log.AppendAlarmLine("a");
    log.AppendAlarmLine("b");
    EXPECT_EQ(ReadFile(log.Path()), "a\r\nb\r\n");
    log.Clear();
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
    log.Clear();  // a missing file is no error
    log.AppendAlarmLine("c");
    EXPECT_EQ(ReadFile(log.Path()), "c\r\n");
}

TEST_F(AlarmLogTest, UnwritableLogIsSkippedQuietly) {
    WriteFile(dir / "log", "a file where the folder should be");
    EXPECT_FALSE(log.AppendAlarmLine("lost"));
    EXPECT_FALSE(AlarmLog(dir / "missing" / "deeper").AppendAlarmLine("x") &&
                 !std::filesystem::exists(dir / "missing"));
}

TEST_F(AlarmLogTest, NothingButARegularFileIsWrittenThrough) {
    std::filesystem::create_directories(dir / "log");
    WriteFile(dir / "target", "kept");
    if (!MakeFileLink(dir / "target", log.Path())) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_FALSE(log.AppendAlarmLine("planted"));
    EXPECT_EQ(ReadFile(dir / "target"), "kept");
    // Dangling, it would otherwise create the file it names.
    std::filesystem::remove(log.Path());
    ASSERT_TRUE(MakeFileLink(dir / "made-by-the-link", log.Path()));
    EXPECT_FALSE(log.AppendAlarmLine("planted"));
    EXPECT_FALSE(std::filesystem::exists(dir / "made-by-the-link"));
    // A FIFO without a reader fails at once instead of holding the monitor in open().
    std::filesystem::remove(log.Path());
    if (MakeFifo(log.Path())) {
        EXPECT_FALSE(log.AppendAlarmLine("blocked"));
        std::filesystem::remove(log.Path());
    }
    EXPECT_TRUE(log.AppendAlarmLine("back"));
    EXPECT_EQ(ReadFile(log.Path()), "back\r\n");
}

}  // namespace
}  // namespace kestrove::test
