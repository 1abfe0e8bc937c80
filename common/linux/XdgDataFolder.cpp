#include "common/linux/XdgDataFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kestrove {

bool XdgDataFolder::CanWrite(const std::filesystem::path& folder) const {
    // access() answers for this user, and says no on a read-only mount even to root.
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path XdgDataFolder::PerUserFolder() const {
    // A relative $XDG_DATA_HOME is invalid and must be ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return std::filesystem::path(data) / "Kestrove";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir
                                                                                    : nullptr;
    }
    if (home == nullptr) {
        return {};
    }
    return std::filesystem::path(home) / ".local" / "share" / "Kestrove";
}

bool XdgDataFolder::CreatePrivateFolder(const std::filesystem::path& folder) const {
    // Every folder made here, parents included, gets 0700, as the base-directory rules ask;
    // folders that exist keep the mode their owner gave them.
    std::filesystem::path path;
    for (const std::filesystem::path& part : folder) {
        path /= part;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::unique_ptr<DataFolderPlatform> CreateDataFolderPlatform() {
    return std::make_unique<XdgDataFolder>();
}

}  // namespace kestrove
