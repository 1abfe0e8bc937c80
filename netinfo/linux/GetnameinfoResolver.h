#pragma once

#include <chrono>

#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Reverse lookups through the system's resolver (hosts file, DNS, ... as configured), bounded
// in time (LookUpWithin): getnameinfo() cannot be interrupted.
class GetnameinfoResolver final : public HostNameResolver {
public:
    static constexpr std::chrono::milliseconds kTimeout{2000};

    explicit GetnameinfoResolver(std::chrono::milliseconds timeout = kTimeout)
        : timeout_(timeout) {}

    std::optional<std::string> ReverseLookup(Ipv4 address) override;
    std::optional<std::string> ReverseLookupWithin(Ipv4 address,
                                                   std::chrono::milliseconds limit) override;

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace kestrove
