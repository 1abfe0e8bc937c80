#include "common/Utf8Path.h"

namespace kestrove {

// File names on Linux are bytes; whatever they hold is kept as it is.
std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.string();
}

std::string GenericPathToUtf8(const std::filesystem::path& path) {
    return path.generic_string();
}

}  // namespace kestrove
