#include "common/ProgramFolder.h"

#include <windows.h>

#include <string>
#include <system_error>

namespace kestrove {

std::filesystem::path ProgramFolder() {
    // Long paths (up to 32,767 characters) need more than MAX_PATH.
    std::wstring exe(MAX_PATH, L'\0');
    while (true) {
        DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0) {
            std::error_code ec;
            return std::filesystem::current_path(ec);
        }
        if (n < exe.size()) {
            exe.resize(n);
            return std::filesystem::path(exe).parent_path();
        }
        exe.resize(exe.size() * 2);
    }
}

}  // namespace kestrove
