#include "common/FileTrust.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace kestrove {
namespace {

// The group has no member but `uid` (a user private group, as Debian makes for every user).
bool GroupIsPrivateTo(gid_t gid, uid_t uid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return false;
    }
    passwd user{};
    passwd* self = nullptr;
    std::vector<char> userBuffer(16384);
    if (::getpwuid_r(uid, &user, userBuffer.data(), userBuffer.size(), &self) != 0 ||
        self == nullptr) {
        return false;
    }
    for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (std::strcmp(*member, self->pw_name) != 0) {
            return false;
        }
    }
    // Nobody else may have it as primary group either.
    bool alone = self->pw_gid == gid;
    ::setpwent();
    while (passwd* other = ::getpwent()) {
        if (other->pw_gid == gid && other->pw_uid != uid) {
            alone = false;
            break;
        }
    }
    ::endpwent();
    return alone;
}

bool OthersMayWrite(const struct stat& st, uid_t uid) {
    if ((st.st_mode & S_IWOTH) != 0) {
        return true;
    }
    return (st.st_mode & S_IWGRP) != 0 && !GroupIsPrivateTo(st.st_gid, uid);
}

}  // namespace

FileTrust CheckFolderTrust(const std::filesystem::path& folder) {
    uid_t uid = ::geteuid();
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return FileTrust::Missing;
    }
    if (st.st_uid != uid && st.st_uid != 0) {
        return FileTrust::FolderOtherOwner;
    }
    return OthersMayWrite(st, uid) ? FileTrust::FolderWritable : FileTrust::Trusted;
}

FileTrust CheckFileTrust(const std::filesystem::path& file) {
    uid_t uid = ::geteuid();
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) {
        return FileTrust::Missing;
    }
    std::filesystem::path parent = file.parent_path().empty() ? "." : file.parent_path();
    if (FileTrust folder = CheckFolderTrust(parent);
        folder == FileTrust::FolderOtherOwner || folder == FileTrust::FolderWritable) {
        return folder;
    }
    if (!S_ISREG(st.st_mode)) {
        return FileTrust::NotRegular;
    }
    if (st.st_uid != uid) {
        return FileTrust::OtherOwner;
    }
    return OthersMayWrite(st, uid) ? FileTrust::Writable : FileTrust::Trusted;
}

}  // namespace kestrove
