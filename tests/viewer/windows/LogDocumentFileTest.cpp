// What the viewer's document does with the kinds of files and attributes of Windows.
#include <windows.h>

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

TEST_F(LogDocumentFileTest, ReadOnlyFileIsNeverReplacedAndANewFileIsMade) {
    WriteFile(log, "old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
    LogDocument doc(log);
    EXPECT_EQ(doc.Load(), "old");
    EXPECT_EQ(doc.Save("new"), LogDocument::SaveResult::Failed);
    ::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(log), "old\r\n");

    LogDocument fresh(dir / "new.log");
    ASSERT_EQ(fresh.Save("x"), LogDocument::SaveResult::Saved);
    EXPECT_EQ(ReadFile(dir / "new.log"), "x\r\n");
}

TEST_F(LogDocumentFileTest, FolderAndDeviceAreNoLogToLoadOrReplace) {
    fs::create_directory(dir / "folder.log");
    for (const fs::path& path : {dir / "folder.log", fs::path(L"NUL")}) {
        LogDocument doc(path);
        EXPECT_EQ(doc.Load(), "") << path;
        EXPECT_EQ(doc.LastLoad(), LogDocument::LoadResult::NotLoaded) << path;
        EXPECT_EQ(doc.Save("x"), LogDocument::SaveResult::Failed) << path;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder.log"));
}

TEST_F(LogDocumentFileTest, JapaneseFolderIsSavedIntoWhole) {
    fs::path folder = dir.Path() / fs::path(L"\u76E3\u8996\u30ED\u30B0");
    fs::create_directory(folder);
    LogDocument doc(folder / L"alart.log");
    ASSERT_EQ(doc.Save("a"), LogDocument::SaveResult::Saved);
    EXPECT_EQ(ReadFile(folder / L"alart.log"), "a\r\n");
}

}  // namespace
}  // namespace kestrove
