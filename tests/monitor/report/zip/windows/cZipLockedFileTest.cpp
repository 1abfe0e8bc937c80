#include <windows.h>

#include "../ZipFixture.h"
#include "common/windows/WinHandle.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

using cZipTest = ZipFixture;

// What an unreadable file is on Windows: another program (an editor, a virus scanner) holds it
// open without sharing.
TEST_F(cZipTest, FileLockedByAnotherHandleFailsAndKeepsTheOldArchive) {
    fs::path a = Put("a.txt", "a");
    cZip zip = Fresh({a});
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    std::string good = ReadFile(Archive());

    Put("a.txt", "changed");
    WinHandle lock(::CreateFileW(a.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    zip.Zip();
    EXPECT_FALSE(zip.Success());
    EXPECT_EQ(ReadFile(Archive()), good);

    fs::remove(Archive());
    zip.Zip();
    EXPECT_FALSE(zip.Success());
    EXPECT_FALSE(fs::exists(Archive())) << "no archive without its file";

    lock.Close();
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    auto entries = ReadZip(Archive());
    ASSERT_TRUE(entries && entries->size() == 1u);
    EXPECT_EQ((*entries)[0].bytes, "changed");
}

}  // namespace
}  // namespace kestrove::test
