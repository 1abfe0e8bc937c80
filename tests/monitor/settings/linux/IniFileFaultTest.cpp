// setting.ini on a full disk and on a read-only folder: a write that cannot be made leaves the
// file whole with its old values, and no temporary file is left beside it.
#include <gtest/gtest.h>

#include "../IniFileFaults.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

TEST(IniFileFaultTest, FullDiskKeepsTheOldFileWhole) {
    KESTROVE_REQUIRE_ROOT();
    TempFolder dir;
    TmpfsMount disk(dir.Path(), 64 * 1024);
    IniFile ini = IniFile::InFolder(dir.Path());
    WriteFile(ini.Path(), kIniBeforeTheFault);
    std::filesystem::path filler = FillDisk(dir.Path());
    ExpectUnchangedAfterFailedWrites(ini, dir.Path(), 2);

    std::filesystem::remove(filler);
    ini.WriteIni("Watch", "Change", "0");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0") << "written once there is room";
}

TEST(IniFileFaultTest, ReadOnlyFolderKeepsTheOldFileWhole) {
    KESTROVE_REQUIRE_ROOT();
    TempFolder dir;
    IniFile ini = IniFile::InFolder(dir.Path());
    WriteFile(ini.Path(), kIniBeforeTheFault);
    {
        ReadOnlyBind readOnly(dir.Path());
        ExpectUnchangedAfterFailedWrites(ini, dir.Path(), 1);
    }
    ini.WriteIni("Watch", "Change", "0");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0");
}

}  // namespace
}  // namespace kestrove::test
