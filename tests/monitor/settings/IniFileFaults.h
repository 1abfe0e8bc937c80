#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "monitor/settings/IniFile.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// setting.ini as it was before the disk said no.
inline const std::string kIniBeforeTheFault =
    "[Watch]\r\nChange=1\r\n[Report]\r\nSaveTo=/srv/reports\r\n";

// Writes that cannot be made leave the file whole with its old values, and the folder holds
// `entries` names as before (no temporary left).
inline void ExpectUnchangedAfterFailedWrites(IniFile& ini, const std::filesystem::path& folder,
                                             std::size_t entries) {
    ini.WriteIni("Watch", "Change", "0");
    ini.WriteIni("Report", "SMTPServer", std::string(8000, 'm'));
    EXPECT_FALSE(ini.DeleteIniSection("Report"));
    EXPECT_EQ(ReadFile(ini.Path()), kIniBeforeTheFault);
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(ini.ReadIni("Report", "SaveTo"), "/srv/reports");
    EXPECT_EQ(FolderNames(folder).size(), entries) << "no temporary file left";
}

}  // namespace kestrove::test
