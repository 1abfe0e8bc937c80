#include "testsupport/windows/AccessEntries.h"

// clang-format off
#include <windows.h>
#include <aclapi.h>
// clang-format on

#include <string>

namespace kestrove::test {

bool LetEveryoneWrite(const std::filesystem::path& path) {
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &old, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size);
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = FILE_GENERIC_WRITE | FILE_DELETE_CHILD;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(everyone);
    PACL updated = nullptr;
    DWORD error = ::SetEntriesInAclW(1, &access, old, &updated);
    if (error == ERROR_SUCCESS) {
        std::wstring name = path.wstring();
        error = ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, updated, nullptr);
    }
    ::LocalFree(updated);
    ::LocalFree(descriptor);
    return error == ERROR_SUCCESS;
}

}  // namespace kestrove::test
