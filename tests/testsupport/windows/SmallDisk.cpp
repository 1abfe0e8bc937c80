#include "testsupport/windows/SmallDisk.h"

#include <windows.h>

#include <string>
#include <system_error>

#include "common/windows/WinHandle.h"

namespace kestrove::test {

SmallDisk::SmallDisk() {
    wchar_t root[MAX_PATH];
    DWORD n = ::GetEnvironmentVariableW(L"KESTROVE_SMALL_DISK", root, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return;
    }
    root_ = std::filesystem::path(std::wstring(root, n));
    for (unsigned i = 0; i < 1000; ++i) {
        std::filesystem::path candidate = root_ / (L"case-" + std::to_wstring(i));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            folder_ = candidate;
            return;
        }
    }
}

SmallDisk::~SmallDisk() {
    Free();
    std::error_code ec;
    if (!folder_.empty()) {
        std::filesystem::remove_all(folder_, ec);
    }
}

bool SmallDisk::Fill() {
    WinHandle filler(::CreateFileW((root_ / L"filler").c_str(), GENERIC_WRITE, 0, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (root_.empty() || !filler) {
        return false;
    }
    ::SetFilePointer(filler.Get(), 0, nullptr, FILE_END);
    const std::string chunk(512, 'f');
    // The volume is a few pages: this ends long before the bound.
    for (int i = 0; i < 100000; ++i) {
        DWORD written = 0;
        if (!::WriteFile(filler.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written,
                         nullptr)) {
            return ::GetLastError() == ERROR_DISK_FULL;
        }
        if (written < chunk.size()) {
            return true;  // what was left, to the last byte
        }
    }
    return false;
}

void SmallDisk::Free() {
    if (!root_.empty()) {
        ::DeleteFileW((root_ / L"filler").c_str());
    }
}

}  // namespace kestrove::test
