#include "common/windows/DataFolder.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

TEST(DataFolderWindows, WritableProgramFolderIsUsedAndLeftClean) {
    test::TempFolder dir;
    EXPECT_EQ(DataFolder(dir.Path()), dir.Path());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "the write test leaves nothing behind";
}

TEST(DataFolderWindows, ProgramFolderThatTakesNoFilesGivesTheUsersLocalAppData) {
    test::TempFolder dir;
    // A file where the folder should be stands for a folder nobody may write.
    test::WriteFile(dir / "Program", "x");
    PWSTR local = nullptr;
    ASSERT_EQ(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local), S_OK);
    std::filesystem::path expected = std::filesystem::path(local) / L"Kestrove";
    ::CoTaskMemFree(local);
    EXPECT_EQ(DataFolder(dir / "Program"), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
}

}  // namespace
}  // namespace kestrove
