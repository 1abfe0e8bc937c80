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

    // True when this object now holds the lock; false when another copy holds it or the lock
    // cannot be taken safely (no private runtime folder).
    bool Acquire();

private:
    struct Lock;
    std::string programName_;
    std::unique_ptr<Lock> lock_;
};

// The user's private folder for lock files: $XDG_RUNTIME_DIR when it names a folder, otherwise
// /tmp/kestrove-<uid>, made on first use. Nothing when that folder is not safely ours.
std::optional<std::filesystem::path> RuntimeFolder();

// Makes `folder` with mode 0700 when it is missing. False when it is not a real folder (a link
// or a file) or belongs to another user, so nobody else can plant or hold our lock files.
bool EnsurePrivateFolder(const std::filesystem::path& folder);

}  // namespace kestrove
