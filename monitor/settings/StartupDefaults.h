#pragma once

#include <string_view>

#include "common/SettingsStore.h"

namespace kestrove {

// The four watch switches the monitor's start-up writes when the file lacks them:
// [Watch] Change "1", [Watch] Duplicate "1", [Scan] All "0", [Log] Record "1".
void WriteStartupDefaults(SettingsStore& settings);

// Whether one of those switches is on. A file that cannot keep the defaults (a folder in its
// place, a read-only or full disk) must not turn the watch and the alarm log off: an empty
// value counts as the start-up default, which is what the file would hold had it been written.
// [Watch] Remember and [Watch] Notify (on) and [Log] Syslog (off) read the same way, though
// start-up does not write them. Any other switch is on only when it is exactly "1".
bool StartupSwitchIsOn(const SettingsStore& settings, std::string_view section,
                       std::string_view key);

}  // namespace kestrove
