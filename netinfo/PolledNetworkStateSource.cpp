#include "netinfo/PolledNetworkStateSource.h"

#include <algorithm>

namespace kestrove {
namespace {

bool SameKey(const Neighbour6& a, const Neighbour6& b) {
    return a.address == b.address && a.interfaceIndex == b.interfaceIndex;
}
bool SameKey(const Route& a, const Route& b) {
    return a == b;
}
bool SameKey(const OwnAddress& a, const OwnAddress& b) {
    return a.address == b.address && a.interfaceIndex == b.interfaceIndex;
}

// Hands on, as notifications would: first what is gone altogether (marked removed), then what
// is new or no longer the same. Tables are small (a link's neighbours and a handful of routes
// and addresses), so plain searches do.
template <class T>
void Differences(const std::vector<T>& before, const std::vector<T>& now,
                 std::vector<NetworkChange>& changes) {
    for (const T& item : before) {
        if (std::none_of(now.begin(), now.end(), [&](const T& n) { return SameKey(n, item); })) {
            T gone = item;
            gone.removed = true;
            changes.emplace_back(gone);
        }
    }
    for (const T& item : now) {
        if (std::find(before.begin(), before.end(), item) == before.end()) {
            changes.emplace_back(item);
        }
    }
}

}  // namespace

PolledNetworkStateSource::PolledNetworkStateSource(Reader read, std::chrono::milliseconds interval)
    : read_(std::move(read)), interval_(interval) {}

bool PolledNetworkStateSource::Dump(NetworkSnapshot& snapshot) {
    snapshot = {};
    if (!read_(snapshot)) {
        return false;
    }
    last_ = snapshot;
    haveRead_ = true;
    return true;
}

NeighbourEventStatus PolledNetworkStateSource::Read(std::vector<NetworkChange>& changes) {
    NetworkSnapshot now;
    // A read that fails tells nothing; the next one compares with the last good tables.
    if (!read_(now)) {
        return NeighbourEventStatus::Drained;
    }
    if (haveRead_) {
        Differences(last_.neighbours, now.neighbours, changes);
        Differences(last_.routes, now.routes, changes);
        Differences(last_.addresses, now.addresses, changes);
    }
    last_ = std::move(now);
    haveRead_ = true;
    return NeighbourEventStatus::Drained;
}

}  // namespace kestrove
