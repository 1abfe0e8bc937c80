#include "monitor/settings/UntrustedFiles.h"

#include <system_error>

namespace kestrove {

std::vector<SetAsideFile> SetAsideUntrusted(std::initializer_list<std::filesystem::path> files) {
    std::vector<SetAsideFile> setAside;
    for (const std::filesystem::path& file : files) {
        FileTrust trust = CheckFileTrust(file);
        if (trust == FileTrust::Trusted || trust == FileTrust::Missing) {
            continue;
        }
        SetAsideFile entry{file, file, trust, false};
        entry.movedTo += ".bad";
        std::error_code ec;
        std::filesystem::rename(file, entry.movedTo, ec);
        entry.moved = !ec;
        setAside.push_back(std::move(entry));
    }
    return setAside;
}

}  // namespace kestrove
