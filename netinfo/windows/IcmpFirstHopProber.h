#pragma once

#include "netinfo/FirstHopProber.h"

namespace kestrove {

// One ICMP echo with a TTL of 1 (IcmpSendEcho2); the router that drops it answers "TTL expired
// in transit" from its own address. IPv4 only: no probe is sent for IPv6.
class IcmpFirstHopProber final : public FirstHopProber {
public:
    FirstHopAnswer Probe(const IpAddress& beyond, std::chrono::milliseconds wait) override;
};

}  // namespace kestrove
