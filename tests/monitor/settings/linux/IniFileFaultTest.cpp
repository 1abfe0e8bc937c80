// setting.ini on a full disk and on a read-only folder: a write that cannot be made leaves the
// file whole with its old values, and no temporary file is left beside it.
#include <gtest/gtest.h>

#include "monitor/settings/IniFile.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

const std::string kFile = "[Watch]\r\nChange=1\r\n[Report]\r\nSaveTo=/srv/reports\r\n";

std::size_t EntryCount(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

void ExpectUnchangedAfterFailedWrites(IniFile& ini, const std::filesystem::path& folder,
                                      std::size_t entries) {
    ini.WriteIni("Watch", "Change", "0");
    ini.WriteIni("Report", "SMTPServer", std::string(8000, 'm'));
    EXPECT_FALSE(ini.DeleteIniSection("Report"));
    EXPECT_EQ(ReadFile(ini.Path()), kFile);
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(ini.ReadIni("Report", "SaveTo"), "/srv/reports");
    EXPECT_EQ(EntryCount(folder), entries) << "no temporary file left";
}

TEST(IniFileFaultTest, FullDiskKeepsTheOldFileWhole) {
    KESTROVE_REQUIRE_ROOT();
    TempFolder dir;
    TmpfsMount disk(dir.Path(), 64 * 1024);
    IniFile ini = IniFile::InFolder(dir.Path());
    WriteFile(ini.Path(), kFile);
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
    WriteFile(ini.Path(), kFile);
    {
        ReadOnlyBind readOnly(dir.Path());
        ExpectUnchangedAfterFailedWrites(ini, dir.Path(), 1);
    }
    ini.WriteIni("Watch", "Change", "0");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0");
}

}  // namespace
}  // namespace kestrove::test
