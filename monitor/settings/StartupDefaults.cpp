#include "monitor/settings/StartupDefaults.h"

#include <span>
#include <string>

#include "monitor/settings/IniDocument.h"

namespace kestrove {
namespace {

struct StartupDefault {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

constexpr StartupDefault kDefaults[] = {
    {"Watch", "Change", "1"},
    {"Watch", "Duplicate", "1"},
    {"Scan", "All", "0"},
    {"Log", "Record", "1"},
};

// Switches read with a default but never written at start-up: the file gets them when the
// user first changes them.
constexpr StartupDefault kReadDefaults[] = {
    {"Watch", "Remember", "1"}, {"Watch", "Notify", "1"}, {"Log", "Syslog", "0"},
    {"Watch", "IPv6", "1"},     {"Watch", "Router", "1"}, {"Watch", "FirstHop", "1"},
};

}  // namespace

void WriteStartupDefaults(SettingsStore& settings) {
    for (const StartupDefault& d : kDefaults) {
        if (settings.ReadIni(d.section, d.key).empty()) {
            settings.WriteIni(d.section, d.key, d.value);
        }
    }
}

bool StartupSwitchIsOn(const SettingsStore& settings, std::string_view section,
                       std::string_view key) {
    std::string value = settings.ReadIni(section, key);
    if (!value.empty()) {
        return value == "1";
    }
    for (std::span<const StartupDefault> table : {std::span<const StartupDefault>(kDefaults),
                                                  std::span<const StartupDefault>(kReadDefaults)}) {
        for (const StartupDefault& d : table) {
            if (Cp932EqualsIgnoreCase(d.section, section) && Cp932EqualsIgnoreCase(d.key, key)) {
                return d.value == "1";
            }
        }
    }
    return false;
}

}  // namespace kestrove
