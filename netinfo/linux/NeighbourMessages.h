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
    // Messages answering another request (a dump abandoned earlier) are passed over; the
    // notifications' parser does not look at it.
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

// Appends the IPv4 neighbours that one datagram of RTMGRP_NEIGH notifications announces as new
// or changed (RTM_NEWNEIGH), in order; removals and other messages are passed over. Returns
// false when the bytes are truncated or malformed; entries before the fault are kept.
bool ParseNeighbourEvents(std::span<const std::uint8_t> bytes, const NeighbourDumpFilter& filter,
                          std::vector<ArpEntry>& entries);

}  // namespace kestrove
