#include "monitor/settings/Autostart.h"
#include "monitor/settings/linux/XdgAutostart.h"

namespace kestrove {

std::unique_ptr<Autostart> CreateAutostart(const std::filesystem::path& monitorProgram) {
    return std::make_unique<XdgAutostart>(monitorProgram, XdgAutostart::DefaultFolder());
}

}  // namespace kestrove
