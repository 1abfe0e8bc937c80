#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// The names in a folder (not below it), sorted: what a writer left behind.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// How often `piece` stands in `text`, overlapping ones counted.
std::size_t Occurrences(std::string_view text, std::string_view piece);

// A CP932 text file (the alarm log) as UTF-8 lines split at CRLF; none for a missing file.
std::vector<std::string> ReadCp932Lines(const std::filesystem::path& path);

}  // namespace kestrove::test
