#include "common/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kestrove {

struct SingleInstance::Lock {
    explicit Lock(int descriptor) : fd(descriptor) {}
    ~Lock() { ::close(fd); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    int fd;
};

SingleInstance::SingleInstance(std::string programName) : programName_(std::move(programName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Acquire() {
    if (lock_) {
        return true;
    }
    std::optional<std::filesystem::path> folder = RuntimeFolder();
    if (!folder) {
        return true;
    }
    std::filesystem::path file = *folder / (programName_ + ".lock");
    // O_CLOEXEC: a program we start must not inherit, and so keep, our lock.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    auto lock = std::make_unique<Lock>(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

namespace {

std::optional<std::filesystem::path> CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        return std::filesystem::path(cache);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(home) / ".cache";
}

}  // namespace

std::optional<std::filesystem::path> RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
            return std::filesystem::path(runtime);
        }
    }
    std::filesystem::path shared = "/tmp/kestrove-" + std::to_string(::getuid());
    if (EnsurePrivateFolder(shared)) {
        return shared;
    }
    std::optional<std::filesystem::path> cache = CacheFolder();
    if (!cache) {
        return std::nullopt;
    }
    // The cache folder itself is the user's own business; only ours below it must be private.
    ::mkdir(cache->c_str(), 0700);
    std::filesystem::path own = *cache / "kestrove";
    if (!EnsurePrivateFolder(own)) {
        return std::nullopt;
    }
    return own;
}

bool EnsurePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    // lstat: a link planted in /tmp by someone else must not lead us into their folder.
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace kestrove
