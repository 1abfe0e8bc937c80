#include "monitor/ui/PlatformCaptions.h"

#include "monitor/ui/MainWindowTexts.h"

namespace kestrove {

const char* StartAtLogonCaption() {
    return texts::kMWithWindows;
}

}  // namespace kestrove
