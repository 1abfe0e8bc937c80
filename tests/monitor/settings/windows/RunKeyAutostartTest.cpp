#include "monitor/settings/windows/RunKeyAutostart.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "common/Utf8Path.h"

namespace kestrove {
namespace {

std::optional<std::wstring> ReadRunValue(const std::wstring& key) {
    wchar_t data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), RunKeyAutostart::kValueName, RRF_RT_ANY,
                       &type, data, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(data);
}

class RunKeyAutostartTest : public ::testing::Test {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); }

    // A key of the test's own, so the prefix's real Run key is left alone.
    std::wstring key = L"Software\\KestroveTest\\Run" + std::to_wstring(::GetCurrentProcessId());
};

TEST_F(RunKeyAutostartTest, ValueHoldsTheWholePathUnquotedAndIsRemoved) {
    // Blanks stay unquoted; a Japanese folder is stored whole.
    std::filesystem::path program = PathFromUtf8("C:\\Program Files\\監視 ツール\\Kestrove.exe");
    RunKeyAutostart autostart(program, key);
    EXPECT_EQ(autostart.AddRunEntryUser(), "");
    EXPECT_EQ(ReadRunValue(key), program.wstring());
    EXPECT_EQ(PathToUtf8(*ReadRunValue(key)), "C:\\Program Files\\監視 ツール\\Kestrove.exe");
    // Adding again overwrites; removing takes the value away.
    EXPECT_EQ(autostart.AddRunEntryUser(), "");
    autostart.RemoveRunEntryUser();
    EXPECT_EQ(ReadRunValue(key), std::nullopt);
}

TEST_F(RunKeyAutostartTest, RemovingWithoutValueOrKeyIsSilent) {
    RunKeyAutostart autostart(L"C:\\Kestrove\\Kestrove.exe", key);
    autostart.RemoveRunEntryUser();  // no key at all
    EXPECT_EQ(autostart.AddRunEntryUser(), "");
    autostart.RemoveRunEntryUser();
    autostart.RemoveRunEntryUser();  // the value is gone already
    EXPECT_EQ(ReadRunValue(key), std::nullopt);
}

TEST(RunKeyAutostartErrors, FailureTextIsTheSystemsOwnOnOneLine) {
    std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    // A code without a system text still says which code it was.
    EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "Error 805306367");
}

TEST(RunKeyAutostart, TheRealKeyIsTheCurrentUsersRunKey) {
    EXPECT_STREQ(RunKeyAutostart::kRunKey, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_STREQ(RunKeyAutostart::kValueName, L"Kestrove");
}

}  // namespace
}  // namespace kestrove
