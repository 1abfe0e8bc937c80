#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "common/Clock.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/NeighbourEvents.h"
#include "netinfo/ReadPacing.h"

namespace kestrove {

// Neighbour "notifications" for a platform that has none: the whole table is read at a short
// interval and only the entries that are new, or hold another MAC than at the last read, are
// handed on, as a notification would announce them. The first read hands on every entry.
// Entries that vanish are not told: a notification of a removal carries nothing to check.
// It must cost little: a slow read makes the next wait longer (ReadPacing).
class PolledNeighbourEvents final : public NeighbourEvents {
public:
    PolledNeighbourEvents(std::unique_ptr<ArpTableSource> table, std::chrono::milliseconds interval,
                          std::unique_ptr<Clock> clock = std::make_unique<SystemClock>());

    int Handle() const override { return -1; }
    std::chrono::milliseconds PollInterval() const override;
    NeighbourEventStatus Read(std::vector<ArpEntry>& entries) override;

private:
    std::unique_ptr<ArpTableSource> table_;
    ReadPacing pacing_;
    // The last read in the table's own order (most reads repeat it exactly), and the same
    // entries sorted, to find what changed when one does not.
    std::vector<ArpEntry> last_;
    std::vector<ArpEntry> lastSorted_;
    std::vector<ArpEntry> read_;
    bool haveRead_ = false;
};

}  // namespace kestrove
