// Whether only this user can have written a file, read from the file system's real owners and
// access lists: an entry that lets everyone write, on the file or on its folder, is found.
#include "common/FileTrust.h"

#include <gtest/gtest.h>

#include "testsupport/TempFolder.h"
#include "testsupport/windows/AccessEntries.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

TEST(FileTrustTest, FilesThisUserMadeAreTrustedAndWhatIsNotAFileIsNamed) {
    TempFolder dir;
    WriteFile(dir / "hosts.dat", "x");
    EXPECT_EQ(CheckFileTrust(dir / "hosts.dat"), FileTrust::Trusted);
    EXPECT_EQ(CheckFileTrust(dir / "setting.ini"), FileTrust::Missing);
    fs::create_directory(dir / "alart.log");
    EXPECT_EQ(CheckFileTrust(dir / "alart.log"), FileTrust::NotRegular);
}

TEST(FileTrustTest, EveryoneMayWriteTheFileOrItsFolder) {
    TempFolder dir;
    fs::create_directory(dir / "data");
    WriteFile(dir / "data" / "hosts.dat", "x");
    WriteFile(dir / "data" / "setting.ini", "x");
    ASSERT_TRUE(LetEveryoneWrite(dir / "data" / "hosts.dat"));
    EXPECT_EQ(CheckFileTrust(dir / "data" / "hosts.dat"), FileTrust::Writable);
    EXPECT_EQ(CheckFileTrust(dir / "data" / "setting.ini"), FileTrust::Trusted);
    EXPECT_EQ(CheckFolderTrust(dir / "data"), FileTrust::Trusted);
    ASSERT_TRUE(LetEveryoneWrite(dir / "data"));
    EXPECT_EQ(CheckFileTrust(dir / "data" / "setting.ini"), FileTrust::FolderWritable);
    EXPECT_EQ(CheckFolderTrust(dir / "data"), FileTrust::FolderWritable);
}

}  // namespace
}  // namespace kestrove::test
