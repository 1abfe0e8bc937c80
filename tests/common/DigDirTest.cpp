#include "common/DigDir.h"

#include <gtest/gtest.h>

#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

TEST(DigDir, CreatesTheFolderWithEveryMissingParent) {
    test::TempFolder dir;
    auto deep = dir / "a" / "b" / "c";
    EXPECT_TRUE(DigDir(deep));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_TRUE(DigDir(deep));  // already there
    EXPECT_TRUE(DigDir(deep.string() + "/"));
}

TEST(DigDir, AnExistingFileCountsAsThereButCannotHoldAFolder) {
    test::TempFolder dir;
    test::WriteFile(dir / "file", "x");
    EXPECT_TRUE(DigDir(dir / "file"));
    EXPECT_FALSE(DigDir(dir / "file" / "sub"));
    EXPECT_FALSE(DigDir(""));
}

}  // namespace
}  // namespace kestrove
