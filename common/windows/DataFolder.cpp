#include "common/windows/DataFolder.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <system_error>

#include "common/windows/WinHandle.h"

namespace kestrove {
namespace {

// Trying is the only true test: access lists, read-only media and policies all have a say.
bool CanCreateFilesIn(const std::filesystem::path& folder) {
    std::filesystem::path probe =
        folder / (L"kestrove-write-test-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
    WinHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

std::filesystem::path LocalAppData() {
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &path) == S_OK) {
        folder = path;
    }
    ::CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::filesystem::path DataFolder(const std::filesystem::path& programFolder) {
    if (CanCreateFilesIn(programFolder)) {
        return programFolder;
    }
    std::filesystem::path base = LocalAppData();
    if (base.empty()) {
        return programFolder;  // nowhere better: writes fail there as they would anyway
    }
    std::filesystem::path folder = base / L"Kestrove";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace kestrove
