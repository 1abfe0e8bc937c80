#include "monitor/settings/IniFile.h"

#include <random>

#include <gtest/gtest.h>

#include "common/Cp932.h"
#include "testsupport/PrivateFile.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using test::ReadFile;
using test::WriteFile;

class IniFileTest : public ::testing::Test {
protected:
    // setting.ini with the given bytes ("" for no file), then one read or write.
    std::string ReadFrom(const std::string& file, const char* section, const char* key) {
        WriteFile(ini.Path(), file);
        return ini.ReadIni(section, key);
    }
    std::string AfterWrite(const std::string& file, const char* section, const char* key,
                           const std::string& value) {
        std::filesystem::remove(ini.Path());
        if (!file.empty()) {
            WriteFile(ini.Path(), file);
        }
        ini.WriteIni(section, key, value);
        return ReadFile(ini.Path());
    }

    test::TempFolder dir;
    IniFile ini = IniFile::InFolder(dir.Path());
};

TEST_F(IniFileTest, MissingFileReadsEmptyAndFirstWriteCreatesItPrivate) {
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "");
    EXPECT_EQ(AfterWrite("", "Watch", "Change", "1"), "[Watch]\r\nChange=1\r\n");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    EXPECT_TRUE(test::IsOwnerOnlyFile(ini.Path())) << "the file holds the mail password";
}

TEST_F(IniFileTest, ReadsOfHandWrittenFiles) {
    EXPECT_EQ(ReadFrom("[Watch]\r\nChange=1\r\n", "watch", "CHANGE"), "1");
    EXPECT_EQ(ReadFrom("[Watch]\r\nChange=\r\n", "Watch", "Change"), "") << "as if missing";
    EXPECT_EQ(ReadFrom("[Watch]\r\nDuplicate =  1 \r\n", "Watch", "Duplicate"), "1");
    EXPECT_EQ(ReadFrom("Change=9\r\n[Watch]\r\nChange=1\r\nChange=2\r\n", "Watch", "Change"), "1")
        << "a key before any section is in none, and the first of two keys wins";
    EXPECT_EQ(
        ReadFrom("[Report]\r\nFreq_Weekly=\x8C\x8E\x97\x6A\x93\xFA\r\n", "Report", "Freq_Weekly"),
        "月曜日");
}

TEST_F(IniFileTest, WriteReplacesOrAddsOneLine) {
    EXPECT_EQ(AfterWrite("[Watch]\r\nChange=1\r\n", "WATCH", "change", "0"),
              "[Watch]\r\nchange=0\r\n");
    EXPECT_EQ(AfterWrite("[Watch]\r\nChange=1", "Watch", "Duplicate", "0"),
              "[Watch]\r\nChange=1\r\nDuplicate=0\r\n");
    EXPECT_EQ(AfterWrite("Change=9\r\n[Watch]\r\nChange=1\r\nChange=2\r\n", "Watch", "Change", "0"),
              "Change=9\r\n[Watch]\r\nChange=0\r\nChange=2\r\n");
    EXPECT_EQ(AfterWrite("", "Report", "Freq_Weekly", "月曜日"),
              "[Report]\r\nFreq_Weekly=\x8C\x8E\x97\x6A\x93\xFA\r\n");
    EXPECT_EQ(AfterWrite("", "Report", "UserID", "bob\r\n[Watch]\r\nChange=0"),
              "[Report]\r\nUserID=bob[Watch]Change=0\r\n")
        << "a line break in a value cannot add a key";
}

TEST_F(IniFileTest, KanjiWhoseSecondByteIsALetterAreNotFolded) {
    // ソ is 83 5C and ャ is 83 83; 83 61 and 83 41 are ヂ and ア: folding the second byte
    // would make them one name.
    EXPECT_NE(Utf8ToCp932("ヂ"), Utf8ToCp932("ア"));
    ini.WriteIni("頻度", "ヂ", "x");
    EXPECT_EQ(ini.ReadIni("頻度", "ア"), "");
    EXPECT_EQ(ini.ReadIni("頻度", "ヂ"), "x");
}

TEST_F(IniFileTest, LongValuesAreCutTo1023BytesOfCp932) {
    ini.WriteIni("Report", "SaveTo", std::string(1500, 'a'));
    EXPECT_EQ(ini.ReadIni("Report", "SaveTo"), std::string(1023, 'a'));
    // 600 kanji are 1200 bytes: 511 fit, and the cut never leaves half a character.
    std::string kanji;
    for (int i = 0; i < 600; ++i)
        kanji += "漢";
    ini.WriteIni("Report", "SaveTo", kanji);
    std::string back = ini.ReadIni("Report", "SaveTo");
    EXPECT_EQ(Utf8ToCp932(back).size(), 1022u);
    EXPECT_EQ(back.find("\uFFFD"), std::string::npos);
    ini.WriteIni("Report", "SaveTo", "x" + kanji);
    EXPECT_EQ(Utf8ToCp932(ini.ReadIni("Report", "SaveTo")).size(), 1023u);
}

TEST_F(IniFileTest, WritingKeepsOtherLinesByteForByte) {
    std::string original =
        "; hand-written comment\r\n"
        "[Watch]\r\n"
        "Change=1\r\n"
        "odd line without equals\n"
        "\r\n"
        "[Report]\r\n"
        "Freq=Daily\r\n"
        "garbage \x81\xFF\r\n";
    WriteFile(ini.Path(), original);
    ini.WriteIni("Watch", "Duplicate", "1");
    ini.WriteIni("Report", "Freq", "Hourly");
    ini.WriteIni("Scan", "All", "0");
    EXPECT_EQ(ReadFile(ini.Path()),
              "; hand-written comment\r\n"
              "[Watch]\r\n"
              "Change=1\r\n"
              "odd line without equals\n"
              "Duplicate=1\r\n"
              "\r\n"
              "[Report]\r\n"
              "Freq=Hourly\r\n"
              "garbage \x81\xFF\r\n"
              "[Scan]\r\n"
              "All=0\r\n");
}

TEST_F(IniFileTest, SectionRemovalKeepsOtherSections) {
    ini.WriteIni("NIC0", "NIC_Name", "eth0");
    ini.WriteIni("Watch", "Change", "1");
    ini.WriteIni("NIC1", "NIC_Name", "eth1");
    WriteFile(ini.Path(), ReadFile(ini.Path()) + "[nic0]\r\nMAC_Addr=dup\r\n");
    EXPECT_TRUE(ini.DeleteIniSection("NIC0"));
    EXPECT_EQ(ini.ReadIni("NIC0", "NIC_Name"), "");
    EXPECT_EQ(ini.ReadIni("NIC0", "MAC_Addr"), "") << "every copy of the section goes";
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    EXPECT_EQ(ini.ReadIni("NIC1", "NIC_Name"), "eth1");
    EXPECT_TRUE(ini.DeleteIniSection("NIC5")) << "a missing section is no error";
    test::TempFolder other;
    EXPECT_TRUE(IniFile::InFolder(other.Path()).DeleteIniSection("NIC0"));
    EXPECT_FALSE(std::filesystem::exists(other / "setting.ini")) << "no file made to delete";
}

TEST_F(IniFileTest, NeverCached) {
    ini.WriteIni("Watch", "Change", "1");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
    WriteFile(ini.Path(), "[Watch]\r\nChange=0\r\n");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "0") << "a hand edit shows at the next read";
    IniFile second = IniFile::InFolder(dir.Path());
    second.WriteIni("Watch", "Change", "1");
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "1");
}

TEST_F(IniFileTest, AFolderInPlaceOfTheFileIsNeverReplaced) {
    std::filesystem::create_directory(ini.Path());
    EXPECT_EQ(ini.ReadIni("Watch", "Change"), "");
    ini.WriteIni("Watch", "Change", "1");
    EXPECT_FALSE(ini.DeleteIniSection("Watch"));
    EXPECT_TRUE(std::filesystem::is_directory(ini.Path()));
}

TEST_F(IniFileTest, GarbageFilesNeverCrashAndStayReadable) {
    std::mt19937 rng(42);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + rng() % 4096, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(rng() % 8 == 0 ? "[]=\r\n;"[rng() % 6] : rng() & 0xFF);
        }
        WriteFile(ini.Path(), bytes);
        (void)ini.ReadIni("Watch", "Change");
        ini.WriteIni("Watch", "Change", "1");
        EXPECT_EQ(ini.ReadIni("Watch", "Change").substr(0, 1), "1") << round;
    }
    // One line of a megabyte with no line end at all.
    WriteFile(ini.Path(), std::string(1 << 20, 'x'));
    ini.WriteIni("Log", "Record", "1");
    EXPECT_EQ(ini.ReadIni("Log", "Record"), "1");
}

}  // namespace
}  // namespace kestrove
