// setting.ini on a volume that is really full (run by wine_lan_test.py, which gives the test a
// small volume of its own): a write that cannot be made leaves the file whole with its old
// values, and no temporary file is left beside it.
#include <gtest/gtest.h>

#include <iterator>

#include "monitor/settings/IniFile.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/SmallDisk.h"

namespace kestrove::test {
namespace {

const std::string kFile = "[Watch]\r\nChange=1\r\n[Report]\r\nSaveTo=C:\\reports\r\n";

TEST(IniFileFullDisk, FullDiskKeepsTheOldFileWhole) {
    SmallDisk disk;
    ASSERT_FALSE(disk.Folder().empty()) << "needs KESTROVE_SMALL_DISK";
    IniFile ini = IniFile::InFolder(disk.Folder());
    WriteFile(ini.Path(), kFile);
    ASSERT_TRUE(disk.Fill());

    ini.WriteIni("Watch", "Change", "0");
    ini.WriteIni("Report", "SMTPServer", std::string(8000, 'm'));
    EXPECT_FALSE(ini.DeleteIniSection("Report"));
    EXPECT_EQ(ReadFile(ini.Path()), kFile);
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(ini.ReadIni("Report", "SaveTo"), "C:\\reports");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.Folder()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left";

    disk.Free();
    ini.WriteIni("Watch", "Change", "0");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0") << "written once there is room";
}

}  // namespace
}  // namespace kestrove::test
