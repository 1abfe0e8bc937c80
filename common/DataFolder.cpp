#include "common/DataFolder.h"

#include <system_error>

namespace kestrove {

DataFolderChoice ChooseDataFolder(const std::filesystem::path& programFolder,
                                  const DataFolderPlatform& platform) {
    std::error_code ec;
    bool installed = std::filesystem::exists(programFolder / kInstalledMarker, ec);
    if (!installed && platform.CanWrite(programFolder)) {
        return {programFolder, true};
    }
    std::filesystem::path own = platform.PerUserFolder();
    if (own.empty()) {
        return {programFolder, false};
    }
    bool writable = platform.CreatePrivateFolder(own) && platform.CanWrite(own);
    return {own, writable};
}

}  // namespace kestrove
