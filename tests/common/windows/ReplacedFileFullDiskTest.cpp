// Files replaced whole (the settings file, the report) on a volume that is really full (run by
// wine_lan_test.py, which gives the test a small volume of its own).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/FileBytes.h"
#include "common/ReplacingFile.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/SmallDisk.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

bool ThroughReplacingFile(const fs::path& target, const std::string& bytes) {
    auto file = ReplacingFile::Create(target);
    return file && file->Write(bytes) && file->Commit();
}

bool Atomically(const fs::path& target, const std::string& bytes) {
    return WriteFileAtomically(target, bytes, 0600);
}

TEST(ReplacedFileFullDisk, WriteThatDoesNotFitKeepsTheOldFileAndLeavesNoTemporary) {
    const struct {
        const char* name;
        std::function<bool(const fs::path&, const std::string&)> write;
    } writers[] = {{"WriteFileAtomically", Atomically}, {"ReplacingFile", ThroughReplacingFile}};
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        SmallDisk disk;
        ASSERT_FALSE(disk.Folder().empty()) << "needs KESTROVE_SMALL_DISK";
        fs::path target = disk.Folder() / "Kestrove.ini";
        WriteFile(target, "old");
        ASSERT_TRUE(disk.Fill());
        EXPECT_FALSE(w.write(target, std::string(20000, 'n')));
        EXPECT_EQ(ReadFile(target), "old");
        EXPECT_EQ(FolderNames(disk.Folder()), std::vector<std::string>{"Kestrove.ini"});
        disk.Free();
        EXPECT_TRUE(w.write(target, std::string(20000, 'n')));
        EXPECT_EQ(ReadFile(target).size(), 20000u);
    }
}

}  // namespace
}  // namespace kestrove::test
