#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "monitor/settings/Autostart.h"

namespace kestrove {

// Start at logon through an XDG autostart entry, "Kestrove.desktop" in
// $XDG_CONFIG_HOME/autostart (by default ~/.config/autostart), which every desktop session
// of the user runs. Its icon is the one the package installs in the icon theme.
class XdgAutostart final : public Autostart {
public:
    XdgAutostart(std::filesystem::path monitorProgram, std::filesystem::path autostartFolder)
        : program_(std::move(monitorProgram)), folder_(std::move(autostartFolder)) {}

    static std::filesystem::path DefaultFolder();

    std::string AddRunEntryUser() override;
    void RemoveRunEntryUser() override;

    std::filesystem::path EntryPath() const { return folder_ / "Kestrove.desktop"; }

private:
    std::filesystem::path program_;
    std::filesystem::path folder_;
};

// The Exec= value for one program path, quoted and escaped so that a launcher runs exactly
// that file, whatever blanks, quotes, backslashes or percent signs its path holds.
std::string DesktopExecValue(std::string_view programPath);

}  // namespace kestrove
