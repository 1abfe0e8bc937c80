#include "common/FileTrust.h"

// clang-format off
#include <windows.h>
#include <aclapi.h>
// clang-format on

#include <memory>
#include <string>
#include <vector>

#include "common/windows/WinHandle.h"

namespace kestrove {
namespace {

// Rights that let a holder change what the file (or, on a folder, its entries) holds.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                     DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                     GENERIC_ALL;

struct LocalMemory {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

std::vector<BYTE> CurrentUserSid() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
        return {};
    }
    WinHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    std::vector<BYTE> copy(::GetLengthSid(sid));
    if (!::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid)) {
        return {};
    }
    return copy;
}

// Owners whose files are this user's: the user, and the system and the administrators, who
// may write anything of the user's anyway (elevated programs make files the administrators own).
bool TrustedOwner(PSID sid, PSID user) {
    return ::EqualSid(sid, user) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

// The same, and the owner's own rights, which are the user's where the user owns the object.
bool MayWriteAnyway(PSID sid, PSID user) {
    return TrustedOwner(sid, user) || ::IsWellKnownSid(sid, WinCreatorOwnerRightsSid);
}

struct Security {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    std::unique_ptr<void, LocalMemory> descriptor;
};

bool ReadSecurity(const std::filesystem::path& path, Security* out) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                          &out->owner, nullptr, &out->dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        return false;
    }
    out->descriptor.reset(descriptor);
    return true;
}

// Whether an allow entry gives someone other than those above a right to write. No list at
// all lets everyone do everything; entries only handed down to new children do not count.
bool OthersMayWrite(const Security& security, PSID user) {
    if (security.dacl == nullptr) {
        return true;
    }
    for (DWORD i = 0; i < security.dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(security.dacl, i, &entry)) {
            return true;  // a list we cannot read is not one we trust
        }
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        if ((allowed->Mask & kWriteRights) != 0 && !MayWriteAnyway(sid, user)) {
            return true;
        }
    }
    return false;
}

// Owner and access list of `path`, named as for a file: Trusted, OtherOwner or Writable.
// Without knowing who we are, nothing is ours.
FileTrust OwnerAndWriters(const std::filesystem::path& path, PSID user) {
    Security security;
    if (user == nullptr || !ReadSecurity(path, &security) || security.owner == nullptr ||
        !TrustedOwner(security.owner, user)) {
        return FileTrust::OtherOwner;
    }
    return OthersMayWrite(security, user) ? FileTrust::Writable : FileTrust::Trusted;
}

FileTrust AsFolder(FileTrust trust) {
    switch (trust) {
        case FileTrust::OtherOwner:
            return FileTrust::FolderOtherOwner;
        case FileTrust::Writable:
            return FileTrust::FolderWritable;
        default:
            return trust;
    }
}

PSID SidOrNull(std::vector<BYTE>& sid) {
    return sid.empty() ? nullptr : sid.data();
}

}  // namespace

// As on the other platforms, with the owner and the access list in the place of the mode
// bits.
FileTrust CheckFolderTrust(const std::filesystem::path& folder) {
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return FileTrust::Missing;
    }
    std::vector<BYTE> user = CurrentUserSid();
    return AsFolder(OwnerAndWriters(folder, SidOrNull(user)));
}

FileTrust CheckFileTrust(const std::filesystem::path& file) {
    DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileTrust::Missing;
    }
    std::vector<BYTE> user = CurrentUserSid();
    std::filesystem::path parent = file.parent_path().empty() ? "." : file.parent_path();
    if (FileTrust folder = AsFolder(OwnerAndWriters(parent, SidOrNull(user)));
        folder != FileTrust::Trusted) {
        return folder;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return FileTrust::NotRegular;
    }
    return OwnerAndWriters(file, SidOrNull(user));
}

}  // namespace kestrove
