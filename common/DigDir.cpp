#include "common/DigDir.h"

#include <system_error>

namespace kestrove {

bool DigDir(const std::filesystem::path& path) {
    std::error_code ec;
    if (path.empty()) {
        return false;
    }
    if (std::filesystem::exists(path, ec)) {
        return true;
    }
    std::filesystem::create_directories(path, ec);
    return !ec && std::filesystem::is_directory(path, ec);
}

}  // namespace kestrove
