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

}  // namespace

FileReadResult ReadFileBytesOrMissing(const std::filesystem::path& path) {
    FileReadResult result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        result.status = errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Error;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd.Get(), buf, sizeof buf);
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
        result.bytes.append(buf, static_cast<std::size_t>(n));
    }
    result.status = FileReadStatus::Ok;
    return result;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    FileReadResult result = ReadFileBytesOrMissing(path);
    if (result.status != FileReadStatus::Ok) {
        return std::nullopt;
    }
    return std::move(result.bytes);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    std::string tmpl = path.string() + ".XXXXXX";
    FileDescriptor fd(::mkstemp(tmpl.data()));
    if (fd.Get() < 0) {
        return false;
    }
    bool ok = ::fchmod(fd.Get(), mode) == 0 && posix::WriteAll(fd.Get(), bytes) &&
              ::fsync(fd.Get()) == 0 && fd.Close() && ::rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) {
        int error = errno;
        ::unlink(tmpl.c_str());
        errno = error;  // callers report why the write failed, not the clean-up
    }
    return ok;
}

}  // namespace kestrove
