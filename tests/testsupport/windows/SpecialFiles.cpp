#include "testsupport/SpecialFiles.h"

#include <windows.h>
#include <winioctl.h>

namespace kestrove::test {

bool MakeFileLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    // Without the developer-mode flag only administrators may make links.
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), kUnprivileged) &&
        !::CreateSymbolicLinkW(link.c_str(), target.c_str(), 0)) {
        return false;
    }
    // Wine answers success and makes nothing: only a link that is there counts.
    DWORD attributes = ::GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool MakeFifo(const std::filesystem::path&) {
    return false;
}

bool SetSparseSize(const std::filesystem::path& path, std::uint64_t size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD unused = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    return ::CloseHandle(file) && ok;
}

}  // namespace kestrove::test
