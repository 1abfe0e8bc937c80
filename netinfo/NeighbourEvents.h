#pragma once

#include <chrono>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

enum class NeighbourEventStatus {
    Drained,  // everything that had arrived was read
    Pending,  // the read stopped at its limit; more is waiting
    Lost,     // notifications were dropped: only a full read of the table is sure now
    Closed,   // the notifications are not available (any more); polling must do
};

// Tells of IPv4 neighbour entries the moment the platform adds or changes them, so a poisoning
// undone between two reads of the table is still seen. The event loop watches Handle() for
// reading and calls Read() when it is ready; a source without a handle to watch asks instead to
// be read at PollInterval().
class NeighbourEvents {
public:
    virtual ~NeighbourEvents() = default;
    // The descriptor to watch; negative when notifications could not be had at all.
    virtual int Handle() const = 0;
    // Appends the entries announced since the last read, oldest first, without waiting. A bounded
    // number of notifications is read at a time, so a flood cannot hold the event loop.
    virtual NeighbourEventStatus Read(std::vector<ArpEntry>& entries) = 0;
    // How often Read() must be called when Handle() is negative; zero: never.
    virtual std::chrono::milliseconds PollInterval() const { return std::chrono::milliseconds(0); }
};

}  // namespace kestrove
