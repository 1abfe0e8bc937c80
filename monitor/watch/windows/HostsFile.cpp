#include "monitor/watch/HostsFile.h"

#include <windows.h>

#include "common/FileBytes.h"

namespace kestrove {

HostsFile::LoadStatus HostsFile::Load(RememberedHosts& hosts) const {
    hosts = {};
    // A link or junction planted in the folder is opened as itself and refused, like anything
    // but a file on disk of sane size.
    FileReadResult read = ReadFileBytesNoFollow(path_, RememberedHosts::kMaxFileBytes);
    if (read.status == FileReadStatus::Missing) {
        return LoadStatus::Missing;
    }
    if (read.status == FileReadStatus::Ok) {
        if (auto parsed = RememberedHosts::Parse(read.bytes)) {
            hosts = std::move(*parsed);
            return LoadStatus::Loaded;
        }
    }
    // Kept for whoever wants to look at it; the next save starts a fresh file.
    if (::MoveFileExW(path_.c_str(), BadPath().c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return LoadStatus::SetAside;
    }
    return LoadStatus::Stuck;
}

// The folder's inherited access list keeps the file the user's own: Windows has no mode bits.
bool HostsFile::Save(std::span<const HostsTable* const> tables) const {
    return WriteFileAtomically(
        path_,
        [tables](const ChunkWriter& write) { return RememberedHosts::Write(tables, write); },
        0600);
}

}  // namespace kestrove
