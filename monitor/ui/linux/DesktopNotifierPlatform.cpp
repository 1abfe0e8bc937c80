#include "monitor/ui/DesktopNotifier.h"
#include "monitor/ui/linux/FreedesktopNotifier.h"

namespace kestrove {

std::unique_ptr<DesktopNotifier> CreateDesktopNotifier() {
    return std::make_unique<FreedesktopNotifier>(QDBusConnection::sessionBus());
}

}  // namespace kestrove
