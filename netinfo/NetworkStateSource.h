#pragma once

#include <chrono>
#include <vector>

#include "netinfo/NeighbourEvents.h"
#include "netinfo/NetworkState.h"

namespace kestrove {

// IPv6 neighbours, default routes of both families, routes from router advertisements and the
// own IPv6 addresses: read whole, and heard the moment they change. The event loop watches
// Handle() for reading and calls Read() when it is ready.
class NetworkStateSource {
public:
    virtual ~NetworkStateSource() = default;
    // Replaces `snapshot` with the tables as they stand. False when they could not be read.
    virtual bool Dump(NetworkSnapshot& snapshot) = 0;
    // The descriptor to watch; negative when notifications could not be had at all.
    virtual int Handle() const = 0;
    // Where there is no descriptor to watch: how often to call Read() (zero: never).
    virtual std::chrono::milliseconds PollInterval() const { return {}; }
    // Appends what changed since the last read, oldest first, without waiting; a bounded number
    // of notifications at a time. Lost: only a new Dump() is sure now.
    virtual NeighbourEventStatus Read(std::vector<NetworkChange>& changes) = 0;
};

}  // namespace kestrove
