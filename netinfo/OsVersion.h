#pragma once

#include <string>

namespace kestrove {

// The operating-system family: "95", "98", "Me", "NT4", "2000", "XP", "2003", "VISTA", "" for
// an unknown one, or "Failed". Callers only ask whether it is "VISTA" (the modern family:
// per-user start at logon, the log shown in the viewer program).
std::string GetOSVersion();

}  // namespace kestrove
