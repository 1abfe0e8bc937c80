// What the viewer's document does with the kinds of files and modes of a POSIX system.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "testsupport/TempFolder.h"
#include "viewer/LogDocument.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class LogDocumentFileTest : public ::testing::Test {
protected:
    test::TempFolder dir;
    fs::path log = dir / "alart.log";
};

TEST_F(LogDocumentFileTest, SaveKeepsTheModeAndWritesThroughALink) {
    WriteFile(log, "old\r\n");
    ::chmod(log.c_str(), 0600);
    fs::create_symlink(log, dir / "link.log");
    LogDocument doc(dir / "link.log");
    doc.Load();
    ASSERT_EQ(doc.Save("new"), LogDocument::SaveResult::Saved);
    EXPECT_TRUE(fs::is_symlink(dir / "link.log"));
    EXPECT_EQ(ReadFile(log), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(log.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    LogDocument fresh(dir / "new.log");
    ASSERT_EQ(fresh.Save("x"), LogDocument::SaveResult::Saved);
    ASSERT_EQ(::stat((dir / "new.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(LogDocumentFileTest, OnlyRegularFilesAreLoadedAndNothingIsWaitedFor) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    for (const fs::path& path : {dir / "fifo", dir / "folder", fs::path("/dev/zero"), log}) {
        LogDocument doc(path);
        EXPECT_EQ(doc.Load(), "") << path;
        EXPECT_EQ(doc.LastLoad(), LogDocument::LoadResult::NotLoaded) << path;
    }
    LogDocument fifo(dir / "fifo");
    fifo.Load();
    EXPECT_EQ(fifo.Save("x"), LogDocument::SaveResult::Failed);
    EXPECT_EQ(fs::status(dir / "fifo").type(), fs::file_type::fifo);

    WriteFile(log, "");
    LogDocument empty(log);
    EXPECT_EQ(empty.Load(), "");
    EXPECT_EQ(empty.LastLoad(), LogDocument::LoadResult::Loaded);
}

TEST_F(LogDocumentFileTest, FileTooLargeToHoldIsNeitherLoadedNorReplaced) {
    WriteFile(log, "2007/05/05 14:03:09 start\r\n");
    ASSERT_EQ(::truncate(log.c_str(), off_t{64} << 30), 0);  // sparse: costs no disk
    LogDocument doc(log);
    EXPECT_EQ(doc.Load(), "");
    EXPECT_EQ(doc.LastLoad(), LogDocument::LoadResult::TooLarge);
    EXPECT_TRUE(doc.ChangedOnDisk());
    EXPECT_EQ(doc.Save(""), LogDocument::SaveResult::Failed);
    EXPECT_EQ(fs::file_size(log), std::uintmax_t{64} << 30);

    ASSERT_EQ(::truncate(log.c_str(), LogDocument::kMaxFileBytes + 1), 0);
    EXPECT_EQ(LogDocument(log).Load(), "");
    ASSERT_EQ(::truncate(log.c_str(), 27), 0);
    EXPECT_EQ(LogDocument(log).Load(), "2007/05/05 14:03:09 start");
}

}  // namespace
}  // namespace kestrove
