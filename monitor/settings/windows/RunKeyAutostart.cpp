#include "monitor/settings/windows/RunKeyAutostart.h"

#include <windows.h>

#include "common/Utf8Path.h"

namespace kestrove {

std::string SystemErrorText(unsigned long code) {
    wchar_t text[260] = {};
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               code, 0, text, 260, nullptr);
    std::wstring message(text, n);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.pop_back();
    }
    if (message.empty()) {
        message = L"Error " + std::to_wstring(code);
    }
    return PathToUtf8(std::filesystem::path(message));
}

std::string RunKeyAutostart::AddRunEntryUser() {
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return SystemErrorText(static_cast<unsigned long>(status));
    }
    // Stored as UTF-16: a Japanese folder name stays whole whatever the ANSI code page is.
    std::wstring data = program_.wstring();
    status =
        ::RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? "" : SystemErrorText(static_cast<unsigned long>(status));
}

void RunKeyAutostart::RemoveRunEntryUser() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, kValueName);
        ::RegCloseKey(key);
    }
}

}  // namespace kestrove
