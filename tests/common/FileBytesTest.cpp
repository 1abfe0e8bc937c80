#include "common/FileBytes.h"

#include <gtest/gtest.h>

#include "testsupport/PrivateFile.h"
#include "testsupport/SpecialFiles.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using test::TempFolder;

TEST(FileBytes, MissingAndUnreadableAreToldApart) {
    TempFolder dir;
    EXPECT_EQ(ReadFileBytesOrMissing(dir / "none").status, FileReadStatus::Missing);
    // A folder where a file is expected cannot be read, and is not "missing".
    EXPECT_EQ(ReadFileBytesOrMissing(dir.Path()).status, FileReadStatus::Error);
    test::WriteFile(dir / "f", std::string("a\0b", 3));
    FileReadResult r = ReadFileBytesOrMissing(dir / "f");
    EXPECT_EQ(r.status, FileReadStatus::Ok);
    EXPECT_EQ(r.bytes, std::string("a\0b", 3));
}

TEST(FileBytes, NothingButARegularFileIsReadAndNeverWaitedFor) {
    TempFolder dir;
    if (!test::MakeFifo(dir / "fifo")) {
        GTEST_SKIP() << "no FIFOs here";
    }
    // A FIFO without a writer would hold a blocking open for ever.
    EXPECT_EQ(ReadFileBytesOrMissing(dir / "fifo").status, FileReadStatus::Error);
    EXPECT_EQ(ReadFileBytesOrMissing("/dev/zero").status, FileReadStatus::Error);
}

TEST(FileBytes, NoFollowReadRefusesALinkInTheFilesPlace) {
    TempFolder dir;
    test::WriteFile(dir / "private", "secret");
    EXPECT_EQ(ReadFileBytesNoFollow(dir / "private").bytes, "secret");
    EXPECT_EQ(ReadFileBytesNoFollow(dir / "none").status, FileReadStatus::Missing);
    EXPECT_EQ(ReadFileBytesNoFollow(dir / "private", 5).status, FileReadStatus::TooLarge);
    if (!test::MakeFileLink(dir / "private", dir / "attachment")) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_EQ(ReadFileBytesNoFollow(dir / "attachment").status, FileReadStatus::Error);
}

TEST(FileBytes, FileOverTheLimitIsTooLargeAndNotRead) {
    TempFolder dir;
    test::WriteFile(dir / "f", "0123456789");
    EXPECT_EQ(ReadFileBytesOrMissing(dir / "f", 10).bytes, "0123456789");
    FileReadResult over = ReadFileBytesOrMissing(dir / "f", 9);
    EXPECT_EQ(over.status, FileReadStatus::TooLarge);
    EXPECT_TRUE(over.bytes.empty());
    // Sparse: a size no memory could hold costs nothing to refuse.
    ASSERT_TRUE(test::SetSparseSize(dir / "f", std::uint64_t{64} << 30));
    EXPECT_EQ(ReadFileBytesOrMissing(dir / "f", 1 << 20).status, FileReadStatus::TooLarge);
}

TEST(FileBytes, AtomicWriteReplacesWholeWithModeAndLeavesNoTemporaryFile) {
    TempFolder dir;
    test::WriteFile(dir / "s.ini", "old");
    ASSERT_TRUE(WriteFileAtomically(dir / "s.ini", "new", 0600));
    EXPECT_EQ(test::ReadFile(dir / "s.ini"), "new");
    EXPECT_TRUE(test::IsOwnerOnlyFile(dir / "s.ini"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator{}),
              1);
}

TEST(FileBytes, AtomicWriteIntoMissingFolderFailsWithoutSideEffects) {
    TempFolder dir;
    EXPECT_FALSE(WriteFileAtomically(dir / "no" / "s.ini", "x", 0600));
    // A folder standing where the file should go is not replaced.
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(WriteFileAtomically(dir / "d", "x", 0600));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d"));
}

}  // namespace
}  // namespace kestrove
