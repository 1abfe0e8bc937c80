#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

namespace kestrove {

// A file without a name that holds data too large to keep in memory and is gone when closed,
// so no one else can open it, replace it or plant a link in its place.
class ScratchFile {
public:
    // Null when the folder cannot hold one.
    static std::unique_ptr<ScratchFile> Create(const std::filesystem::path& folder);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // All or nothing: after a failed write the file reads back as it was before.
    bool Write(std::string_view bytes);
    // Hands everything written, from the beginning, to `sink` in blocks; false when reading
    // failed or the sink said stop.
    bool ReadAll(const std::function<bool(std::string_view)>& sink);
    // Empties the file for new data.
    bool Clear();

private:
    explicit ScratchFile(std::intptr_t handle) : handle_(handle) {}

    std::intptr_t handle_;
    std::uint64_t size_ = 0;
};

}  // namespace kestrove
