#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace kestrove {

// A file written under a temporary name beside its target and put in the target's place only
// when it was written whole. The temporary gets a fresh name and is created exclusively, and a
// symlink at the target is refused, so a link another user planted in a shared folder is never
// written through.
class ReplacingFile {
public:
    // Null when no temporary can be made there (missing or read-only folder, ...).
    static std::unique_ptr<ReplacingFile> Create(const std::filesystem::path& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False once any write failed; the file is then only good for discarding.
    bool Write(std::string_view bytes);
    // Closes the temporary and renames it over the target. False on any failure, or when the
    // target is a symlink; the temporary is then gone and the target unchanged.
    bool Commit();
    // Removes the temporary (also done on destruction unless committed).
    void Discard();

    const std::filesystem::path& Temporary() const { return temporary_; }

private:
    ReplacingFile(std::filesystem::path target, std::filesystem::path temporary,
                  std::intptr_t handle)
        : target_(std::move(target)), temporary_(std::move(temporary)), handle_(handle) {}
    bool CloseHandle();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::intptr_t handle_;
    // Where the platform wants it (Linux, a file that replaces another), how much of the file
    // is already sent on to the disk while it is still being written.
    bool writeBackEarly_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t writtenBack_ = 0;
    bool failed_ = false;
    bool done_ = false;
};

}  // namespace kestrove
