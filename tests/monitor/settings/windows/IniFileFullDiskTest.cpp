// setting.ini on a volume that is really full (run by wine_lan_test.py, which gives the test a
// small volume of its own): a write that cannot be made leaves the file whole with its old
// values, and no temporary file is left beside it.
#include "../IniFileFaults.h"
#include "testsupport/windows/SmallDisk.h"

namespace kestrove::test {
namespace {

TEST(IniFileFullDisk, FullDiskKeepsTheOldFileWhole) {
    SmallDisk disk;
    ASSERT_FALSE(disk.Folder().empty()) << "needs KESTROVE_SMALL_DISK";
    IniFile ini = IniFile::InFolder(disk.Folder());
    WriteFile(ini.Path(), kIniBeforeTheFault);
    ASSERT_TRUE(disk.Fill());

    ExpectUnchangedAfterFailedWrites(ini, disk.Folder(), 1);

    disk.Free();
    ini.WriteIni("Watch", "Change", "0");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0") << "written once there is room";
}

}  // namespace
}  // namespace kestrove::test
