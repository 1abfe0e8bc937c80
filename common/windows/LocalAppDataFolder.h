#pragma once

#include "common/DataFolder.h"

namespace kestrove {

// The user's own folder is %LOCALAPPDATA%\Kestrove (by default
// C:\Users\NAME\AppData\Local\Kestrove): it stays on this machine and is private to the user.
class LocalAppDataFolder final : public DataFolderPlatform {
public:
    bool CanWrite(const std::filesystem::path& folder) const override;
    std::filesystem::path PerUserFolder() const override;
    bool CreatePrivateFolder(const std::filesystem::path& folder) const override;
};

}  // namespace kestrove
