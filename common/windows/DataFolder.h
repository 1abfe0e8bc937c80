#pragma once

#include <filesystem>

namespace kestrove {

// Where the settings file, the alarm log and the reports live: the program folder itself when
// this user may write there (a portable copy, a build folder), otherwise
// %LOCALAPPDATA%\Kestrove, made on first use. Chosen once at start.
std::filesystem::path DataFolder(const std::filesystem::path& programFolder);

}  // namespace kestrove
