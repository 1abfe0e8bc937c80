#pragma once

#include <filesystem>
#include <string>

#include "monitor/settings/Autostart.h"

namespace kestrove {

// Start at logon through the string value "Kestrove" in the current user's Run key, holding
// the monitor's path unquoted. Every supported Windows is of the modern family, which starts
// per user, so the machine-wide key is never written.
class RunKeyAutostart final : public Autostart {
public:
    static constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const wchar_t* kValueName = L"Kestrove";

    // `key` below HKEY_CURRENT_USER; tests pass a key of their own.
    explicit RunKeyAutostart(std::filesystem::path monitorProgram, std::wstring key = kRunKey)
        : program_(std::move(monitorProgram)), key_(std::move(key)) {}

    std::string AddRunEntryUser() override;
    void RemoveRunEntryUser() override;

private:
    std::filesystem::path program_;
    std::wstring key_;
};

// The system's own text for a Windows error code, as UTF-8 without the trailing line end.
std::string SystemErrorText(unsigned long code);

}  // namespace kestrove
