#include "netinfo/PolledNeighbourEvents.h"

#include <algorithm>
#include <tuple>

namespace kestrove {
namespace {

bool EntryBefore(const ArpEntry& a, const ArpEntry& b) {
    return std::tie(a.address, a.mac.length, a.mac.bytes) <
           std::tie(b.address, b.mac.length, b.mac.bytes);
}

}  // namespace

PolledNeighbourEvents::PolledNeighbourEvents(std::unique_ptr<ArpTableSource> table,
                                             std::chrono::milliseconds interval,
                                             std::unique_ptr<Clock> clock)
    : table_(std::move(table)), pacing_(interval, std::move(clock)) {}

std::chrono::milliseconds PolledNeighbourEvents::PollInterval() const {
    return pacing_.Interval();
}

NeighbourEventStatus PolledNeighbourEvents::Read(std::vector<ArpEntry>& entries) {
    bool read = pacing_.Timed([&] { return table_->Read(read_); });
    // A read that fails tells nothing; the next one compares with the last good table.
    if (!read) {
        return NeighbourEventStatus::Drained;
    }
    if (haveRead_ && read_ == last_) {
        return NeighbourEventStatus::Drained;
    }
    // An address may be listed more than once (one row per interface), so an entry is the
    // pair of address and MAC: a pair not seen at the last read is what changed.
    for (const ArpEntry& entry : read_) {
        if (!std::binary_search(lastSorted_.begin(), lastSorted_.end(), entry, EntryBefore)) {
            entries.push_back(entry);
        }
    }
    haveRead_ = true;
    last_.swap(read_);
    lastSorted_ = last_;
    std::sort(lastSorted_.begin(), lastSorted_.end(), EntryBefore);
    return NeighbourEventStatus::Drained;
}

}  // namespace kestrove
