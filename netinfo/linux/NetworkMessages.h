#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "netinfo/NetworkState.h"
#include "netinfo/linux/NeighbourMessages.h"

namespace kestrove {

// Appends what one datagram of an RTM_GETNEIGH (IPv6), RTM_GETROUTE or RTM_GETADDR (IPv6)
// dump answering `sequence` holds. The bytes are not trusted.
NeighbourDumpStatus ParseNetworkDump(std::span<const std::uint8_t> bytes, std::uint32_t sequence,
                                     NetworkSnapshot& snapshot);

// Appends what one datagram of notifications (neighbour, route, IPv6 address, prefix and
// router-advertisement option groups) announces, in order; IPv4 neighbours and routes that do
// not matter to the watch are passed over. Returns false when the bytes are truncated or
// malformed; changes before the fault are kept.
bool ParseNetworkEvents(std::span<const std::uint8_t> bytes, std::vector<NetworkChange>& changes);

}  // namespace kestrove
