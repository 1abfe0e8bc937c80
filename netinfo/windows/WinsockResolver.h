#pragma once

#include <chrono>

#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Reverse lookups through Winsock's GetNameInfoW (hosts file, DNS, NetBIOS as the system does),
// bounded in time (LookUpWithin) as on Linux: a name server that answers late would otherwise
// freeze the monitor.
class WinsockResolver final : public HostNameResolver {
public:
    static constexpr std::chrono::milliseconds kTimeout{2000};

    explicit WinsockResolver(std::chrono::milliseconds timeout = kTimeout) : timeout_(timeout) {}

    std::optional<std::string> ReverseLookup(Ipv4 address) override;
    std::optional<std::string> ReverseLookupWithin(Ipv4 address,
                                                   std::chrono::milliseconds limit) override;

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace kestrove
