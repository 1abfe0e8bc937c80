#pragma once

#include <optional>

#include "monitor/watch/AlarmList.h"
#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// What the watch of routes and IPv6 adds to the IPv4 watch: which addresses are the default
// gateway's, the gateway's MAC as its IPv6 router entry holds it, and what to do when the
// gateway's IPv4 MAC changes (check who the first hop really is).
class GatewayWatch {
public:
    virtual ~GatewayWatch() = default;
    virtual bool IsGateway(Ipv4 address) const = 0;
    // The MAC of the link's IPv6 router, when one is known.
    virtual std::optional<MacAddress> RouterIpv6Mac() const = 0;
    // A change alarm was raised for the gateway `address` (the alarm is `alarm` in `List1`).
    virtual void GatewayMacChanged(Ipv4 address, const MacAddress& from, const MacAddress& to,
                                   const AlarmHandle& alarm) = 0;
};

}  // namespace kestrove
