#pragma once

#include <optional>
#include <string>

namespace kestrove {

// Takes the first whole line out of text received so far, without its LF or the CR before it;
// nothing while no LF has come (the rest waits for more).
inline std::optional<std::string> TakeLine(std::string& received) {
    std::size_t end = received.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = received.substr(0, end);
    received.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace kestrove
