#include "monitor/watch/HostsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/FileBytes.h"

namespace kestrove {
namespace {

enum class ReadStatus { Ok, Missing, NotOurs, Error };

// Never follows a link planted in the folder and never blocks on a FIFO put in the file's
// place; anything but a regular file of sane size is not ours.
ReadStatus ReadNoFollow(const std::filesystem::path& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return ReadStatus::Missing;
        }
        return errno == ELOOP ? ReadStatus::NotOurs : ReadStatus::Error;
    }
    ReadStatus status = ReadStatus::Ok;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        status = ReadStatus::Error;
    } else if (!S_ISREG(st.st_mode) ||
               static_cast<std::uint64_t>(st.st_size) > RememberedHosts::kMaxFileBytes) {
        status = ReadStatus::NotOurs;
    } else {
        bytes.clear();
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buf[65536];
        while (bytes.size() <= RememberedHosts::kMaxFileBytes) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                status = ReadStatus::Error;
                break;
            }
            if (n == 0) {
                break;
            }
            bytes.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return status;
}

}  // namespace

HostsFile::LoadStatus HostsFile::Load(RememberedHosts& hosts) const {
    hosts = {};
    std::string bytes;
    ReadStatus read = ReadNoFollow(path_, bytes);
    if (read == ReadStatus::Missing) {
        return LoadStatus::Missing;
    }
    if (read == ReadStatus::Ok) {
        if (auto parsed = RememberedHosts::Parse(bytes)) {
            hosts = std::move(*parsed);
            return LoadStatus::Loaded;
        }
    }
    // Kept for whoever wants to look at it; the next save starts a fresh file.
    if (::rename(path_.c_str(), BadPath().c_str()) == 0) {
        return LoadStatus::SetAside;
    }
    return LoadStatus::Stuck;
}

bool HostsFile::Save(std::span<const HostsTable* const> tables) const {
    return WriteFileAtomically(
        path_,
        [tables](const ChunkWriter& write) { return RememberedHosts::Write(tables, write); },
        0600);
}

}  // namespace kestrove
