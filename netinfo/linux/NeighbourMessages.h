#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

enum class NeighbourDumpStatus {
    More,   // every message was read; the dump goes on in the next datagram
    Done,   // NLMSG_DONE of our request
    Error,  // NLMSG_ERROR, or bytes that are truncated or malformed
};

struct NeighbourDumpFilter {
    // Messages answering another request (a dump abandoned earlier) are passed over.
    std::uint32_t sequence = 0;
    // NOARP entries on this interface are the loopback's own and no neighbour; 0 keeps them.
    int loopbackIndex = 0;
};

// Appends the IPv4 neighbours of one datagram of an RTM_GETNEIGH dump to `entries`, in the
// kernel's order. The bytes are not trusted: no length in them is believed before it is
// checked against what is really there.
NeighbourDumpStatus ParseNeighbourDump(std::span<const std::uint8_t> bytes,
                                       const NeighbourDumpFilter& filter,
                                       std::vector<ArpEntry>& entries);

}  // namespace kestrove
