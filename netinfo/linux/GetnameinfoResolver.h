#pragma once

#include <chrono>

#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Reverse lookups through the system's resolver (hosts file, DNS, ... as configured), bounded
// in time: getnameinfo() cannot be interrupted and a slow name server (or one an attacker
// answers late on purpose) would freeze the monitor for as long as it likes. The lookup runs on
// a worker thread of its own; no answer within the timeout counts as no name, and a worker
// that answers later only drops its answer.
class GetnameinfoResolver final : public HostNameResolver {
public:
    static constexpr std::chrono::milliseconds kTimeout{2000};

    explicit GetnameinfoResolver(std::chrono::milliseconds timeout = kTimeout)
        : timeout_(timeout) {}

    std::optional<std::string> ReverseLookup(Ipv4 address) override;

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace kestrove
