#include "netinfo/PolledNetworkStateSource.h"

#include <algorithm>
#include <tuple>

namespace kestrove {
namespace {

bool SameKey(const Route& a, const Route& b) {
    return a == b;
}
bool SameKey(const OwnAddress& a, const OwnAddress& b) {
    return a.address == b.address && a.interfaceIndex == b.interfaceIndex;
}

// Hands on, as notifications would: first what is gone altogether (marked removed), then what
// is new or no longer the same. Most reads repeat the last one exactly; routes and addresses
// are a handful, but a LAN may hold thousands of neighbours, so those are matched through a
// sorted index, never pair by pair.
template <class T>
void Differences(const std::vector<T>& before, const std::vector<T>& now,
                 std::vector<NetworkChange>& changes) {
    if (before == now) {
        return;
    }
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

auto Key(const Neighbour6& n) {
    return std::tie(n.address, n.interfaceIndex);
}

void Differences(const std::vector<Neighbour6>& before, const std::vector<Neighbour6>& now,
                 std::vector<NetworkChange>& changes) {
    if (before == now) {
        return;
    }
    auto byKey = [](const Neighbour6* a, const Neighbour6* b) { return Key(*a) < Key(*b); };
    auto sorted = [&](const std::vector<Neighbour6>& table) {
        std::vector<const Neighbour6*> index;
        index.reserve(table.size());
        for (const Neighbour6& n : table) {
            index.push_back(&n);
        }
        std::sort(index.begin(), index.end(), byKey);
        return index;
    };
    std::vector<const Neighbour6*> was = sorted(before);
    std::vector<const Neighbour6*> is = sorted(now);
    auto find = [&](const std::vector<const Neighbour6*>& index, const Neighbour6& n) {
        auto it = std::lower_bound(index.begin(), index.end(), &n, byKey);
        return it != index.end() && Key(**it) == Key(n) ? *it : nullptr;
    };
    for (const Neighbour6& item : before) {
        if (find(is, item) == nullptr) {
            Neighbour6 gone = item;
            gone.removed = true;
            changes.emplace_back(gone);
        }
    }
    for (const Neighbour6& item : now) {
        const Neighbour6* old = find(was, item);
        if (old == nullptr || !(*old == item)) {
            changes.emplace_back(item);
        }
    }
}

}  // namespace

PolledNetworkStateSource::PolledNetworkStateSource(Reader read, std::chrono::milliseconds interval,
                                                   std::unique_ptr<Clock> clock)
    : read_(std::move(read)), pacing_(interval, std::move(clock)) {}

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
    if (!pacing_.Timed([&] { return read_(now); })) {
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
