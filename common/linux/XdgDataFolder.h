#pragma once

#include "common/DataFolder.h"

namespace kestrove {

// The user's own folder is $XDG_DATA_HOME/Kestrove, by default ~/.local/share/Kestrove.
class XdgDataFolder final : public DataFolderPlatform {
public:
    bool CanWrite(const std::filesystem::path& folder) const override;
    std::filesystem::path PerUserFolder() const override;
    bool CreatePrivateFolder(const std::filesystem::path& folder) const override;
};

}  // namespace kestrove
