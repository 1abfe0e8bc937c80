#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace kestrove {

// Starting the monitor when the user logs on.
class Autostart {
public:
    virtual ~Autostart() = default;
    // Registers the monitor; returns "" or the system's text for why it failed.
    virtual std::string AddRunEntryUser() = 0;
    // Unregisters it; a missing entry or a refused removal passes silently.
    virtual void RemoveRunEntryUser() = 0;
};

// The platform's way of starting `monitorProgram` at logon, for the current user.
std::unique_ptr<Autostart> CreateAutostart(const std::filesystem::path& monitorProgram);

}  // namespace kestrove
