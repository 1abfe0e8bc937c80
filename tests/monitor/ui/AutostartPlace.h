#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "monitor/settings/Autostart.h"

namespace kestrove::test {

// Where a monitor under test registers itself to start at logon: the platform's own backend,
// writing below a folder of the test's (Linux) or a registry key of its own (Windows), so the
// user's real entry is never touched. The key goes with the object.
class AutostartPlace {
public:
    explicit AutostartPlace(std::filesystem::path scratch);
    ~AutostartPlace();
    AutostartPlace(const AutostartPlace&) = delete;
    AutostartPlace& operator=(const AutostartPlace&) = delete;

    std::unique_ptr<Autostart> Create(const std::filesystem::path& programFolder) const;
    // Whether the monitor is registered now.
    bool Registered() const;

private:
    std::filesystem::path scratch_;
    std::wstring key_;
};

}  // namespace kestrove::test
