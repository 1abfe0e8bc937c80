#include "netinfo/HostNameLookup.h"

#include <algorithm>

namespace kestrove {

std::string HostNameLookup::GetHostNameByIP(std::string_view addressText) {
    return Ask(addressText, std::nullopt);
}

std::string HostNameLookup::GetHostNameByIP(std::string_view addressText,
                                            std::chrono::milliseconds limit) {
    return Ask(addressText, limit);
}

std::string HostNameLookup::Ask(std::string_view addressText,
                                std::optional<std::chrono::milliseconds> limit) {
    if (noHostLookup_) {
        return "";
    }
    std::string plain;
    std::copy_if(addressText.begin(), addressText.end(), std::back_inserter(plain),
                 [](char c) { return c != ' '; });
    std::string name;
    Ipv4 address = 0;
    if (ParseDotted(plain, address)) {
        std::optional<std::string> answer = limit ? resolver_.ReverseLookupWithin(address, *limit)
                                                  : resolver_.ReverseLookup(address);
        name = SanitizeHostName(answer.value_or(""));
    }
    if (name.empty()) {
        noHostLookup_ = true;
    }
    return name;
}

std::string SanitizeHostName(std::string_view name) {
    constexpr std::size_t kMaxHostName = 253;
    std::string clean;
    for (char c : name.substr(0, name.find('\0'))) {
        if (clean.size() == kMaxHostName) {
            break;
        }
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (letter || digit || c == '.' || c == '-' || c == '_') {
            clean.push_back(c);
        }
    }
    return clean;
}

}  // namespace kestrove
