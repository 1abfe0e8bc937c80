#pragma once

#include <filesystem>

namespace kestrove {

// Creates the folder `path` with every missing parent. True when it could be made, or when
// anything of that name (even a file) was already there.
bool DigDir(const std::filesystem::path& path);

}  // namespace kestrove
