#pragma once

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

}  // namespace kestrove
