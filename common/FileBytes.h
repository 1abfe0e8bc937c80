#pragma once

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

enum class FileReadStatus { Ok, Missing, Error };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Error;
    std::string bytes;
};

// Reads a whole regular file. A missing file and a file that exists but cannot be read (a
// folder in its place, no permission) are told apart, so a writer never replaces data it could
// not read.
FileReadResult ReadFileBytesOrMissing(const std::filesystem::path& path);

// The whole file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes the bytes to a temporary file beside `path` and renames it over `path`, so a failure
// at any point leaves the old file whole. The new file gets `mode`. False on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

// Appends the bytes to `path` (created when missing) whole or not at all: a write cut short
// (a full disk) is taken back, so no half line is left. False on any failure.
bool AppendWholeOrNothing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kestrove
