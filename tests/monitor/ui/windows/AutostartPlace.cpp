#include "../AutostartPlace.h"

#include <windows.h>

#include "monitor/settings/windows/RunKeyAutostart.h"

namespace kestrove::test {

AutostartPlace::AutostartPlace(std::filesystem::path scratch)
    : scratch_(std::move(scratch)),
      key_(L"Software\\KestroveTest\\Run-" + scratch_.filename().wstring()) {}

AutostartPlace::~AutostartPlace() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
}

std::unique_ptr<Autostart> AutostartPlace::Create(
    const std::filesystem::path& programFolder) const {
    return std::make_unique<RunKeyAutostart>(programFolder / L"Kestrove.exe", key_);
}

bool AutostartPlace::Registered() const {
    DWORD size = 0;
    return ::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), RunKeyAutostart::kValueName,
                          RRF_RT_REG_SZ, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

}  // namespace kestrove::test
