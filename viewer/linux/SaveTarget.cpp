#include "viewer/SaveTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kestrove {

std::optional<SaveTarget> FindSaveTarget(const std::filesystem::path& path) {
    // Through a link the file it points to is replaced, not the link.
    SaveTarget target{path, 0644};
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code ec;
        target.path = std::filesystem::canonical(path, ec);
        if (ec) {
            return std::nullopt;
        }
    }
    struct stat st {};
    if (::stat(target.path.c_str(), &st) == 0) {
        // A read-only file stays untouched although its folder would allow the rename.
        if (!S_ISREG(st.st_mode) || ::access(target.path.c_str(), W_OK) != 0) {
            return std::nullopt;
        }
        target.mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return std::nullopt;
    }
    return target;
}

bool IsRegularFileAt(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace kestrove
