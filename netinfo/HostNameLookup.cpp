#include "netinfo/HostNameLookup.h"

#include <algorithm>

namespace kestrove {

std::string HostNameLookup::GetHostNameByIP(std::string_view addressText) {
    if (noHostLookup_) {
        return "";
    }
    std::string plain;
    std::copy_if(addressText.begin(), addressText.end(), std::back_inserter(plain),
                 [](char c) { return c != ' '; });
    std::string name;
    Ipv4 address = 0;
    if (ParseDotted(plain, address)) {
        name = SanitizeHostName(resolver_.ReverseLookup(address).value_or(""));
    }
    if (name.empty()) {
        noHostLookup_ = true;
    }
    return name;
}

std::string SanitizeHostName(std::string_view name) {
    std::string clean;
    clean.reserve(name.size());
    for (char c : name) {
        auto b = static_cast<unsigned char>(c);
        if (b == 0) {
            break;
        }
        // Anything outside printable ASCII has no place in a host name.
        clean.push_back(b < 0x20 || b >= 0x7F ? '?' : c);
    }
    return clean;
}

}  // namespace kestrove
