#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrove {

// Text is UTF-8 everywhere in the program; paths are made from it and turned back into text
// only here. On Windows a path is UTF-16 and std::filesystem would widen the bytes one by one
// (a Japanese folder name would be mangled); on Linux the bytes pass through unchanged.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
// The same with "/" between the parts on every platform (names inside an archive).
std::string GenericPathToUtf8(const std::filesystem::path& path);

}  // namespace kestrove
