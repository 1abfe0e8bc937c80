#pragma once

#include <cstddef>
#include <filesystem>

namespace kestrove::test {

// The mounts below are made in a mount namespace of the test process's own, with every mount
// private, so that they are seen only by it and the programs it starts, and go with the process
// even when it crashes. Only a single-threaded process may enter it (a gtest process is, and
// ctest runs each test in a process of its own); failures throw std::runtime_error. Needs root.

// The threads the test process has now (-1 when it cannot tell).
int ThreadCount();

// A tmpfs of `bytes` mounted over the folder `path` (which must exist), for a small disk that
// fills up or can be made read-only. Unmounted on destruction.
class TmpfsMount {
public:
    TmpfsMount(std::filesystem::path path, std::size_t bytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // Root writes anywhere a mount lets it, so a read-only mount is the way to refuse writes.
    void SetReadOnly(bool readOnly);
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::size_t bytes_;
};

// The folder or file `path` made read-only where it is, by binding it over itself.
class ReadOnlyBind {
public:
    explicit ReadOnlyBind(std::filesystem::path path);
    ~ReadOnlyBind();
    ReadOnlyBind(const ReadOnlyBind&) = delete;
    ReadOnlyBind& operator=(const ReadOnlyBind&) = delete;

private:
    std::filesystem::path path_;
};

// Writes the file `filler` into `folder` until its file system has no page left; returns the
// filler's path. Deleting it gives the space back.
std::filesystem::path FillDisk(const std::filesystem::path& folder);

}  // namespace kestrove::test
