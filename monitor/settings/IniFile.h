#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "common/SettingsStore.h"

namespace kestrove {

// The settings file "setting.ini": [section] headers and key=value lines in CP932 with CRLF
// line ends. Names match without regard to case; a value reads back cut to 1023 bytes of
// CP932. Nothing is cached: every call reads or rewrites the file, so a value written by one
// window is seen by every other at its next read, and hand edits take effect the same way.
// Lines the program does not touch (comments, unknown keys, odd lines) are kept byte for byte.
class IniFile final : public SettingsStore {
public:
    static constexpr std::size_t kMaxValueBytes = 1023;

    explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

    static IniFile InFolder(const std::filesystem::path& dataFolder) {
        return IniFile(dataFolder / "setting.ini");
    }

    std::string ReadIni(std::string_view section, std::string_view key) const override;
    void WriteIni(std::string_view section, std::string_view key, std::string_view value) override;
    bool DeleteIniSection(std::string_view section) override;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace kestrove
