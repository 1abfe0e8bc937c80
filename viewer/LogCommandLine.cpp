#include "viewer/LogCommandLine.h"

#include <string_view>

namespace kestrove {

std::string LogFilePathFromArguments(const std::vector<std::string>& args) {
    std::string joined;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) {
            joined += ' ';
        }
        joined += args[i];
    }
    std::string_view path = joined;
    constexpr std::string_view kBlanks = " \t";
    std::size_t first = path.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return "";
    }
    path = path.substr(first, path.find_last_not_of(kBlanks) - first + 1);
    if (path.starts_with('"')) {
        path.remove_prefix(1);
    }
    if (path.ends_with('"')) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

}  // namespace kestrove
