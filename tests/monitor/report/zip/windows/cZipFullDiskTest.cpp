// The archive on a volume that is really full (run by wine_lan_test.py, which gives the test a
// small volume of its own): libzip writes a temporary beside the archive and renames it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../ZipReader.h"
#include "common/Utf8Path.h"
#include "monitor/report/zip/cZip.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/SmallDisk.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

// Bytes that do not compress: the archive needs about as much room as the file.
std::string Noise(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

TEST(cZipFullDisk, ArchiveThatDoesNotFitKeepsTheOldOneAndLeavesNoTemporary) {
    SmallDisk disk;
    ASSERT_FALSE(disk.Folder().empty()) << "needs KESTROVE_SMALL_DISK";
    TempFolder sources;
    WriteFile(sources / "a.txt", "a");
    WriteFile(sources / "big.bin", Noise(40000));
    fs::path archive = disk.Folder() / "out.zip";
    cZip zip;
    zip.SetZipFile(PathToUtf8(archive));
    zip.AddFileSpec(PathToUtf8(sources / "a.txt"));
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    std::string good = ReadFile(archive);

    ASSERT_TRUE(disk.Fill());
    zip.AddFileSpec(PathToUtf8(sources / "big.bin"));
    zip.Zip();
    EXPECT_FALSE(zip.Success());
    EXPECT_EQ(ReadFile(archive), good);
    EXPECT_EQ(FolderNames(disk.Folder()), std::vector<std::string>{"out.zip"});

    disk.Free();
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    auto entries = ReadZip(archive);
    ASSERT_TRUE(entries);
    EXPECT_EQ(EntryNames(*entries), (std::vector<std::string>{"a.txt", "big.bin"}));
}

}  // namespace
}  // namespace kestrove::test
