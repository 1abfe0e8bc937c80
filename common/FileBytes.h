#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

enum class FileReadStatus { Ok, Missing, Error, TooLarge };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Error;
    std::string bytes;
};

// Reads a whole regular file. A missing file and a file that exists but cannot be read (a
// folder, FIFO or device in its place, no permission) are told apart, so a writer never
// replaces data it could not read. The open never waits (a FIFO without a writer would hold the
// caller for ever). A file of more than `maxBytes` is not read: TooLarge.
FileReadResult ReadFileBytesOrMissing(const std::filesystem::path& path,
                                      std::size_t maxBytes = std::string().max_size());

// The same, but a symlink in the file's place is not followed (it reads as Error): for files a
// local attacker could swap for a link to something of the user's, such as a mail attachment.
FileReadResult ReadFileBytesNoFollow(const std::filesystem::path& path,
                                     std::size_t maxBytes = std::string().max_size());

// The whole file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes the bytes to a temporary file beside `path` and renames it over `path`, so a failure
// at any point leaves the old file whole. The new file gets `mode`. False on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

// Takes each piece of a file's text; false once a write failed.
using ChunkWriter = std::function<bool(std::string_view)>;
// The same for a text made piece by piece: `produce` hands its pieces to the writer and returns
// false when one was refused. A large file is never held whole in memory.
bool WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(const ChunkWriter&)>& produce, mode_t mode);

// Appends the bytes to `path` (created when missing) whole or not at all: a write cut short
// (a full disk) is taken back, so no half line is left. A symlink, FIFO or anything but a
// regular file in the file's place is a failure, never written through. False on any failure.
bool AppendWholeOrNothing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kestrove
