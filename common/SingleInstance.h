#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrove {

// One running copy per user and program: a lock on a file named after the program in the
// user's runtime folder, held as long as this object lives. The system drops the lock when the
// process ends, however it ends, so a crashed copy never blocks the next start.
class SingleInstance {
public:
    explicit SingleInstance(std::string programName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object now holds the lock (or, when no private folder can be had at all,
    // runs unguarded: a copy too many is better than a monitor kept from starting); false when
    // another copy holds it.
    bool Acquire();

private:
    struct Lock;
    std::string programName_;
    std::unique_ptr<Lock> lock_;
};

// The user's private folder for lock files: $XDG_RUNTIME_DIR when it names a folder, otherwise
// /tmp/kestrove-<uid> when that is safely ours, otherwise kestrove in the user's cache folder
// ($XDG_CACHE_HOME or ~/.cache), made on first use. Anyone can create /tmp/kestrove-<uid>
// first, so it is never the only choice. Nothing when no folder is safely ours.
std::optional<std::filesystem::path> RuntimeFolder();

// Makes `folder` with mode 0700 when it is missing. False when it is not a real folder (a link
// or a file), belongs to another user, or others may write in it (they could have planted or
// could hold our lock files; closing it now would not undo that).
bool EnsurePrivateFolder(const std::filesystem::path& folder);

}  // namespace kestrove
