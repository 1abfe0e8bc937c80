#pragma once

#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Reverse lookups through Winsock's getnameinfo (hosts file, DNS, NetBIOS as the system does).
class WinsockResolver final : public HostNameResolver {
public:
    WinsockResolver();
    ~WinsockResolver() override;
    WinsockResolver(const WinsockResolver&) = delete;
    WinsockResolver& operator=(const WinsockResolver&) = delete;

    std::optional<std::string> ReverseLookup(Ipv4 address) override;

private:
    bool started_ = false;
};

}  // namespace kestrove
