#include "common/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/linux/PosixFile.h"

namespace kestrove {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a full disk can show up here).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                               int extraFlags) {
    FileReadResult result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | extraFlags));
    if (fd.Get() < 0) {
        result.status = errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Error;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return result;
    }
    auto size = static_cast<std::size_t>(st.st_size);
    if (size > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    // Read straight into the result; a file that grew meanwhile is read on to its end, up to
    // the limit.
    result.bytes.resize(size);
    std::size_t used = 0;
    char more[65536];
    while (true) {
        bool full = used == result.bytes.size();
        char* into = full ? more : result.bytes.data() + used;
        std::size_t room = full ? sizeof more : result.bytes.size() - used;
        ssize_t n = ::read(fd.Get(), into, room);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.bytes.clear();
            return result;
        }
        if (n == 0) {
            break;
        }
        if (full) {
            if (used + static_cast<std::size_t>(n) > maxBytes) {
                result.bytes.clear();
                result.status = FileReadStatus::TooLarge;
                return result;
            }
            result.bytes.append(more, static_cast<std::size_t>(n));
        }
        used += static_cast<std::size_t>(n);
    }
    result.bytes.resize(used);
    result.status = FileReadStatus::Ok;
    return result;
}

}  // namespace

FileReadResult ReadFileBytesOrMissing(const std::filesystem::path& path, std::size_t maxBytes) {
    return ReadRegularFile(path, maxBytes, 0);
}

FileReadResult ReadFileBytesNoFollow(const std::filesystem::path& path, std::size_t maxBytes) {
    return ReadRegularFile(path, maxBytes, O_NOFOLLOW);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    FileReadResult result = ReadFileBytesOrMissing(path);
    if (result.status != FileReadStatus::Ok) {
        return std::nullopt;
    }
    return std::move(result.bytes);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    return WriteFileAtomically(
        path, [bytes](const ChunkWriter& write) { return write(bytes); }, mode);
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(const ChunkWriter&)>& produce, mode_t mode) {
    std::string tmpl = path.string() + ".XXXXXX";
    FileDescriptor fd(::mkstemp(tmpl.data()));
    if (fd.Get() < 0) {
        return false;
    }
    int raw = fd.Get();
    bool ok = ::fchmod(raw, mode) == 0 &&
              produce([raw](std::string_view bytes) { return posix::WriteAll(raw, bytes); }) &&
              ::fsync(fd.Get()) == 0 && fd.Close() && ::rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) {
        int error = errno;
        ::unlink(tmpl.c_str());
        errno = error;  // callers report why the write failed, not the clean-up
    }
    return ok;
}

bool AppendWholeOrNothing(const std::filesystem::path& path, std::string_view bytes) {
    // A symlink planted in the file's place would have lines written wherever it points, and a
    // FIFO would hold the caller in open(): only a regular file of its own name is written.
    int fd = ::open(path.c_str(),
                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (!ok && written > 0) {
        // Half a line would glue itself to the next one and hide an alarm from the report.
        if (::ftruncate(fd, st.st_size) != 0) {
            ok = false;
        }
    }
    return ::close(fd) == 0 && ok;
}

}  // namespace kestrove
