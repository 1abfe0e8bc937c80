#include <gtest/gtest.h>

#include "common/Cp932.h"
#include "common/Utf8Path.h"
#include "monitor/settings/IniFile.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

// The settings file in a folder with a Japanese name, holding Japanese values: the bytes on disk
// are CP932 and read back as written.
TEST(IniFileWindows, Cp932TextRoundTripsInAJapaneseFolder) {
    test::TempFolder dir;
    std::filesystem::path folder = dir.Path() / PathFromUtf8("設定 フォルダ");
    std::filesystem::create_directory(folder);
    IniFile ini = IniFile::InFolder(folder);
    ini.WriteIni("Mail", "Subject", "ARP監視レポート～①");
    ini.WriteIni("Report", "SaveTo", "C:\\ログ\\報告");
    EXPECT_EQ(ini.ReadIni("mail", "SUBJECT"), "ARP監視レポート～①");
    EXPECT_EQ(ini.ReadIni("Report", "SaveTo"), "C:\\ログ\\報告");
    EXPECT_EQ(test::ReadFile(folder / "setting.ini"),
              Utf8ToCp932(
                  "[Mail]\r\nSubject=ARP監視レポート～①\r\n[Report]\r\nSaveTo=C:\\ログ\\報告\r\n"));
}

}  // namespace
}  // namespace kestrove
