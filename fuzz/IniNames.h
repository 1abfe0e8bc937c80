#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Cp932.h"

namespace kestrove::fuzz {

using IniName = std::pair<std::string, std::string>;  // section, key

// The section and key names a settings file seems to hold, as a careless reader would take
// them, appended to `names` until it holds `most`.
inline std::vector<IniName> IniNamesIn(std::string_view bytes, std::vector<IniName> names,
                                       std::size_t most) {
    std::string section;
    std::size_t pos = 0;
    while (pos < bytes.size() && names.size() < most) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        std::string_view line = bytes.substr(pos, end == bytes.npos ? bytes.npos : end - pos);
        pos = end == bytes.npos ? bytes.size() : end + 1;
        if (line.starts_with('[')) {
            section = Cp932ToUtf8(line.substr(1, line.find(']') - 1));
        } else if (std::size_t eq = line.find('='); eq != line.npos) {
            names.emplace_back(section, Cp932ToUtf8(line.substr(0, eq)));
        }
    }
    return names;
}

}  // namespace kestrove::fuzz
