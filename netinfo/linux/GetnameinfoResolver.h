#pragma once

#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Reverse lookups through the system's resolver (hosts file, DNS, ... as configured).
class GetnameinfoResolver final : public HostNameResolver {
public:
    std::optional<std::string> ReverseLookup(Ipv4 address) override;
};

}  // namespace kestrove
