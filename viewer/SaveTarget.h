#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace kestrove {

// The file a save of the viewer writes, and the mode the new file gets.
struct SaveTarget {
    std::filesystem::path path;
    mode_t mode = 0644;
};

// Where saving over `path` must write: the file a link points to rather than the link, with the
// file's own mode. Nothing when the file there must not be replaced: read-only, a folder or
// anything but a regular file, or its state cannot be told.
std::optional<SaveTarget> FindSaveTarget(const std::filesystem::path& path);

// Whether a regular file is at `path` (one that could not be read still holds something).
bool IsRegularFileAt(const std::filesystem::path& path);

}  // namespace kestrove
