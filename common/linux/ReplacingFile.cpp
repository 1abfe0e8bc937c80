#include "common/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "common/linux/PosixFile.h"

namespace kestrove {
namespace posix {

std::string FreshName(std::string_view path) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name(path);
    name += '.';
    for (int i = 0; i < 10; ++i) {
        name += kLetters[random() % (sizeof kLetters - 1)];
    }
    return name;
}

}  // namespace posix

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::filesystem::path& target) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string temporary = posix::FreshName(target.string());
        // O_EXCL never opens an existing name, a symlink included; 0666 less the umask gives
        // the permissions an ordinary new file gets.
        int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::unique_ptr<ReplacingFile> file(new ReplacingFile(target, temporary, fd));
            struct stat st {};
            file->writeBackEarly_ = ::lstat(target.c_str(), &st) == 0;
            return file;
        }
        if (errno != EEXIST && errno != EINTR) {
            return nullptr;
        }
    }
    return nullptr;
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Write(std::string_view bytes) {
    if (failed_ || done_ || !posix::WriteAll(static_cast<int>(handle_), bytes)) {
        failed_ = true;
        return false;
    }
    written_ += bytes.size();
    // ext4 writes out all of a file renamed over another at the rename, on the renaming
    // thread: for a report of a hundred megabytes, most of a tenth of a second. Started as it
    // goes, the writing out runs on the writing thread and the rename finds little left to do.
    // A file that takes a new name is left to the kernel's own pace.
    constexpr std::uint64_t kWritebackBytes = 8 << 20;
    if (writeBackEarly_ && written_ - writtenBack_ >= kWritebackBytes) {
        ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(writtenBack_),
                          static_cast<off_t>(written_ - writtenBack_), SYNC_FILE_RANGE_WRITE);
        writtenBack_ = written_;
    }
    return true;
}

bool ReplacingFile::CloseHandle() {
    int fd = static_cast<int>(handle_);
    handle_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

bool ReplacingFile::Commit() {
    if (done_) {
        return false;
    }
    // A full disk may only show when the file is closed.
    bool ok = CloseHandle() && !failed_;
    struct stat st {};
    if (ok && ::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        ok = false;
    }
    // rename() replaces the name itself and never follows a link put there meanwhile.
    if (ok && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
        done_ = true;
        return true;
    }
    Discard();
    return false;
}

void ReplacingFile::Discard() {
    if (done_) {
        return;
    }
    CloseHandle();
    ::unlink(temporary_.c_str());
    done_ = true;
}

}  // namespace kestrove
