#pragma once

#include <string>
#include <string_view>

namespace kestrove {

// The settings file as its users see it: read at the moment of use, never cached.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored value, or "" when the file, section or key is missing.
    virtual std::string ReadIni(std::string_view section, std::string_view key) const = 0;
    // Creates or replaces the key; a failure leaves the old value and is not reported.
    virtual void WriteIni(std::string_view section, std::string_view key,
                          std::string_view value) = 0;
    // Removes the section with all its keys; false when the file could not be rewritten.
    virtual bool DeleteIniSection(std::string_view section) = 0;

    // Switches are on exactly when their value is "1".
    bool IsOn(std::string_view section, std::string_view key) const {
        return ReadIni(section, key) == "1";
    }
};

}  // namespace kestrove
