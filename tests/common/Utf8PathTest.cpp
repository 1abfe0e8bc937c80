#include "common/Utf8Path.h"

#include <gtest/gtest.h>

#include "common/FileBytes.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using test::TempFolder;

TEST(Utf8Path, JapaneseNamesRoundTripThroughTheFileSystem) {
    TempFolder dir;
    const std::string folder = "報告 フォルダ";
    const std::string file = "監視ログ①.txt";
    std::filesystem::path path = dir.Path() / PathFromUtf8(folder);
    ASSERT_TRUE(std::filesystem::create_directory(path));
    ASSERT_TRUE(WriteFileAtomically(path / PathFromUtf8(file), "abc", 0600));

    // The system lists the names as they were given.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        names.push_back(PathToUtf8(entry.path().filename()));
    }
    EXPECT_EQ(names, std::vector<std::string>{file});
    EXPECT_EQ(PathToUtf8(path.filename()), folder);
    EXPECT_EQ(ReadFileBytes(PathFromUtf8(PathToUtf8(path / PathFromUtf8(file)))), "abc");
}

TEST(Utf8Path, TextsRoundTrip) {
    for (std::string text : {"", "a", "C:/log/alart.log", "ログ/日本語.htm", "😀"}) {
        EXPECT_EQ(PathToUtf8(PathFromUtf8(text)), text) << text;
    }
}

}  // namespace
}  // namespace kestrove
