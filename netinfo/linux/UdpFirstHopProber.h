#pragma once

#include "netinfo/FirstHopProber.h"

namespace kestrove {

// One UDP datagram with a TTL (hop limit) of 1, and the ICMP "time exceeded" read back from
// the socket's error queue (IP_RECVERR / IPV6_RECVERR): no privilege needed.
class UdpFirstHopProber final : public FirstHopProber {
public:
    FirstHopAnswer Probe(const IpAddress& beyond, std::chrono::milliseconds wait) override;
};

}  // namespace kestrove
