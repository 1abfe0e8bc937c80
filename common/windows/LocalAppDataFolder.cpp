#include "common/windows/LocalAppDataFolder.h"

#include <windows.h>

#include <string>

#include "common/FileTrust.h"
#include "common/windows/WinFile.h"

namespace kestrove {
namespace {

bool IsFolder(const std::filesystem::path& folder) {
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool LocalAppDataFolder::CanWrite(const std::filesystem::path& folder) const {
    // Access lists, read-only media and virtualized program folders make every answer short of
    // trying unreliable: a file of a fresh name is created and gone again when closed.
    if (!IsFolder(folder)) {
        return false;
    }
    // Nor is a folder other users may write too ours: what we keep there would be set aside as
    // untrusted at every start (a copy unpacked under C:\ inherits "Authenticated Users: Modify").
    if (CheckFolderTrust(folder) != FileTrust::Trusted) {
        return false;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::wstring probe = win::FreshName((folder / L"write-test").wstring());
        HANDLE file = ::CreateFileW(
            probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

std::filesystem::path LocalAppDataFolder::PerUserFolder() const {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) {
        return {};
    }
    // A relative value would put the files wherever the program was started from.
    std::filesystem::path local(std::wstring(buffer, n));
    if (!local.is_absolute()) {
        return {};
    }
    return local / L"Kestrove";
}

bool LocalAppDataFolder::CreatePrivateFolder(const std::filesystem::path& folder) const {
    // What is made under the user's profile inherits its access list, which lets only the user
    // (and administrators) in; no list of our own is needed.
    std::filesystem::path path;
    for (const std::filesystem::path& part : folder) {
        path /= part;
        if (!path.has_relative_path() || IsFolder(path)) {
            continue;  // the drive and root, and what exists, keep what they have
        }
        if (!::CreateDirectoryW(path.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return IsFolder(folder);
}

std::unique_ptr<DataFolderPlatform> CreateDataFolderPlatform() {
    return std::make_unique<LocalAppDataFolder>();
}

}  // namespace kestrove
