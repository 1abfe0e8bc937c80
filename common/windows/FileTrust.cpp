#include "common/FileTrust.h"

namespace kestrove {

// The data folder under %LOCALAPPDATA% (or a program folder the user can write) is the user's
// own by the profile's access rules; what other users may write there is not checked yet.
FileTrust CheckFileTrust(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) ? FileTrust::Trusted : FileTrust::Missing;
}

}  // namespace kestrove
