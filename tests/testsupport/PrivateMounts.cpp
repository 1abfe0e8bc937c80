#include "testsupport/PrivateMounts.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrove::test {
namespace {

[[noreturn]] void Throw(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void EnterPrivateMountNamespace() {
    static bool entered = false;
    if (entered) {
        return;
    }
    if (ThreadCount() != 1) {
        throw std::runtime_error("a mount namespace of its own needs a single-threaded process");
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        Throw("unshare(CLONE_NEWNS)");
    }
    // Without this, mounts would still propagate to the machine's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        Throw("making every mount private");
    }
    entered = true;
}

}  // namespace

int ThreadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:")) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}

TmpfsMount::TmpfsMount(std::filesystem::path path, std::size_t bytes)
    : path_(std::move(path)), bytes_(bytes) {
    EnterPrivateMountNamespace();
    std::string options = "size=" + std::to_string(bytes_) + ",mode=0755";
    if (::mount("kestrove-test", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        Throw("mounting a tmpfs on " + path_.string());
    }
}

TmpfsMount::~TmpfsMount() {
    ::umount2(path_.c_str(), MNT_DETACH);
}

void TmpfsMount::SetReadOnly(bool readOnly) {
    std::string options = "size=" + std::to_string(bytes_);
    unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    if (::mount("kestrove-test", path_.c_str(), "tmpfs", flags, options.c_str()) != 0) {
        Throw("remounting " + path_.string());
    }
}

ReadOnlyBind::ReadOnlyBind(std::filesystem::path path) : path_(std::move(path)) {
    EnterPrivateMountNamespace();
    if (::mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        Throw("binding " + path_.string());
    }
    if (::mount(nullptr, path_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        int error = errno;
        ::umount2(path_.c_str(), MNT_DETACH);
        errno = error;
        Throw("making " + path_.string() + " read-only");
    }
}

ReadOnlyBind::~ReadOnlyBind() {
    ::umount2(path_.c_str(), MNT_DETACH);
}

std::filesystem::path FillDisk(const std::filesystem::path& folder) {
    std::filesystem::path filler = folder / "filler";
    int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        Throw("creating " + filler.string());
    }
    // Big writes first, then ever smaller ones, down to the last byte of the last page.
    std::vector<char> block(64 * 1024, 'f');
    for (std::size_t size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.data(), size) > 0) {
        }
    }
    int error = errno;
    ::close(fd);
    if (error != ENOSPC) {
        errno = error;
        Throw("filling " + folder.string());
    }
    return filler;
}

}  // namespace kestrove::test
