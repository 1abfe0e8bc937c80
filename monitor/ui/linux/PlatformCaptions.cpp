#include "monitor/ui/PlatformCaptions.h"

#include "monitor/ui/MainWindowTexts.h"

namespace kestrove {

// A desktop session has no "Windows start"; the autostart entry runs at login.
const char* StartAtLogonCaption() {
    return texts::kMWithWindowsAtLogin;
}

}  // namespace kestrove
