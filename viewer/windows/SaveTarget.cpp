#include "viewer/SaveTarget.h"

#include <windows.h>

#include <system_error>

namespace kestrove {

std::optional<SaveTarget> FindSaveTarget(const std::filesystem::path& path) {
    SaveTarget target{path, 0644};
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = ::GetLastError();
        // Nothing there yet: the save creates the file.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return target;
        }
        return std::nullopt;
    }
    // Through a link the file it points to is replaced, not the link.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        std::error_code ec;
        target.path = std::filesystem::canonical(path, ec);
        if (ec) {
            return std::nullopt;
        }
        attributes = ::GetFileAttributesW(target.path.c_str());
    }
    // A read-only file stays untouched although its folder would allow the rename.
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return std::nullopt;
    }
    return target;
}

bool IsRegularFileAt(const std::filesystem::path& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace kestrove
