#pragma once

#include "netinfo/NetworkState.h"

namespace kestrove {

// The IPv6 neighbours (GetIpNetTable2), the default routes of both families and the IPv6
// routes of router advertisements (GetIpForwardTable2), and the own IPv6 addresses with their
// duplicate detection state (GetUnicastIpAddressTable). False when a table cannot be read.
bool ReadIpHelperNetworkState(NetworkSnapshot& snapshot);

}  // namespace kestrove
