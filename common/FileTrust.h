#pragma once

#include <filesystem>

namespace kestrove {

// Whether a file of ours can only have been written by this user: owned by this user, not
// writable by group or others, in a folder owned by this user (or the administrator) that
// group and others cannot write either, as ssh asks of its keys. Group write is harmless where
// the group is the user's own private group (no one else in it).
enum class FileTrust {
    Trusted,
    Missing,
    NotRegular,        // a link, a FIFO, a folder ... in the file's place
    OtherOwner,        // the file belongs to another user
    Writable,          // group or others may write the file
    FolderOtherOwner,  // the folder belongs to another user
    FolderWritable,    // group or others may write the folder (and replace the file)
};

FileTrust CheckFileTrust(const std::filesystem::path& file);

// The folder half of the above: Trusted, Missing, FolderOtherOwner or FolderWritable.
FileTrust CheckFolderTrust(const std::filesystem::path& folder);

}  // namespace kestrove
