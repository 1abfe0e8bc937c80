#pragma once

#include <vector>

#include "netinfo/Ipv4.h"

// winsock2.h must come before iphlpapi.h
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
// clang-format on

namespace kestrove {

// The next hops of the IPv4 default routes (destination and mask 0) in a route table as
// GetIpForwardTable gives it, lowest metric first; on-link routes (no gateway) are left out.
std::vector<Ipv4> DefaultGateways(const MIB_IPFORWARDTABLE& table);

// The same for this machine's table; none when it cannot be read.
std::vector<Ipv4> ReadIpForwardGateways();

}  // namespace kestrove
