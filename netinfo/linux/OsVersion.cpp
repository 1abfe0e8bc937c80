#include "netinfo/OsVersion.h"

namespace kestrove {

// Linux works the modern way: per-user start at logon, the log shown in the viewer program.
std::string GetOSVersion() {
    return "VISTA";
}

}  // namespace kestrove
