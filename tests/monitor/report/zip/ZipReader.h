#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrove::test {

struct ZipEntry {
    std::string name;
    std::string bytes;  // empty for folder entries and when it could not be read
    std::time_t mtime = 0;
    bool encrypted = false;
    bool readable = false;
};

// Every entry of an archive, read back with libzip (encrypted ones with `password`); nothing
// when the archive cannot be opened.
std::optional<std::vector<ZipEntry>> ReadZip(const std::filesystem::path& path,
                                             const char* password = nullptr);

// The archive comment as raw bytes; nothing when there is none.
std::optional<std::string> ZipComment(const std::filesystem::path& path);

std::vector<std::string> EntryNames(const std::vector<ZipEntry>& entries);

}  // namespace kestrove::test
