#pragma once

#include <functional>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

// Reads the ARP table for the engine away from its thread: a kernel's dump of tens of thousands
// of neighbours takes tens of milliseconds the window would otherwise stand still for.
class TableRead {
public:
    // The read's outcome (false: the table could not be read) and its entries, on the
    // monitor's thread.
    using Done = std::function<void(bool read, std::vector<ArpEntry>& entries)>;

    virtual ~TableRead() = default;
    // Starts a read into `buffer` (its storage is reused); `done` gets it back. One read at a
    // time: the engine starts the next only after `done` ran.
    virtual void Start(std::vector<ArpEntry> buffer, Done done) = 0;
};

}  // namespace kestrove
