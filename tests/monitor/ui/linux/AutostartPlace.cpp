#include "../AutostartPlace.h"

#include "monitor/settings/linux/XdgAutostart.h"

namespace kestrove::test {

AutostartPlace::AutostartPlace(std::filesystem::path scratch) : scratch_(std::move(scratch)) {}

AutostartPlace::~AutostartPlace() = default;

std::unique_ptr<Autostart> AutostartPlace::Create(
    const std::filesystem::path& programFolder) const {
    return std::make_unique<XdgAutostart>(programFolder / "Kestrove", scratch_ / "autostart");
}

bool AutostartPlace::Registered() const {
    return std::filesystem::exists(scratch_ / "autostart" / "Kestrove.desktop");
}

}  // namespace kestrove::test
