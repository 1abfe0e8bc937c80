#include "common/ScratchFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "common/linux/PosixFile.h"

namespace kestrove {

std::unique_ptr<ScratchFile> ScratchFile::Create(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Some file systems have no nameless files: an exclusive name, removed at once.
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        std::string name = posix::FreshName((folder / "scratch").string());
        fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlink(name.c_str());
        } else if (errno != EEXIST && errno != EINTR) {
            break;
        }
    }
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<ScratchFile>(new ScratchFile(fd));
}

ScratchFile::~ScratchFile() {
    ::close(static_cast<int>(handle_));
}

bool ScratchFile::Write(std::string_view bytes) {
    // Written at the end of what counts, so the rest of a failed write is never read back.
    int fd = static_cast<int>(handle_);
    std::uint64_t at = size_;
    while (!bytes.empty()) {
        ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        at += static_cast<std::uint64_t>(n);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    size_ = at;
    return true;
}

bool ScratchFile::ReadAll(const std::function<bool(std::string_view)>& sink) {
    int fd = static_cast<int>(handle_);
    constexpr std::size_t kBlock = 1 << 20;
    auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (std::uint64_t at = 0; at < size_;) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size_ - at));
        ssize_t n = ::pread(fd, block.get(), want, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        at += static_cast<std::uint64_t>(n);
        if (!sink(std::string_view(block.get(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
    return true;
}

bool ScratchFile::Clear() {
    size_ = 0;
    return ::ftruncate(static_cast<int>(handle_), 0) == 0;
}

}  // namespace kestrove
