#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "common/LocalTime.h"
#include "netinfo/IpAddress.h"
#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// The latest change of every address that changed within the last minute. It tells whether a
// change undoes the one before it (a flip back), and bounds the lines of an address that flips
// between the same two MACs again and again: the first kFullChanges changes of such a run are
// logged in full, later ones are only counted and summed up once a minute. A run ends when the
// address stays quiet for a minute or changes to a third MAC. Changes are forgotten in the
// order they came, one queue entry each, so the work per change stays the same however many
// addresses changed before.
template <class Address, class Hash = std::hash<Address>>
class BasicFlipTracker {
public:
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::uint32_t kFullChanges = 10;

    // Changes of one run counted since they were last summed up.
    struct Tally {
        Address address{};
        MacAddress from;  // the MAC of the last change before ...
        MacAddress to;    // ... the one the address holds now
        std::uint32_t changes = 0;
    };
    struct Verdict {
        // The change undoes the address's change before it, within a minute.
        bool flipBack = false;
        // Beyond the run's changes in full: counted, not logged.
        bool counted = false;
        // The address's run with counted changes ended with this change: sum it up first.
        std::optional<Tally> ended;
    };

    Verdict Note(const Address& address, const MacAddress& from, const MacAddress& to,
                 TimePoint now);
    // The counted changes of every address since the last call, and none left waiting.
    std::vector<Tally> TakeTallies(TimePoint now);
    bool HasTallies() const { return !tallying_.empty(); }
    void Clear();
    // Addresses followed now.
    std::size_t Tracked() const { return changes_.size(); }

private:
    struct LastChange {
        MacAddress from;
        MacAddress to;
        TimePoint at;
        std::uint32_t inRun = 0;
        std::uint32_t counted = 0;
    };
    void Expire(TimePoint now);

    std::unordered_map<Address, LastChange, Hash> changes_;
    // One entry per change, oldest first: when it leaves the window, its address is forgotten
    // unless it changed again since.
    std::deque<std::pair<TimePoint, Address>> expiry_;
    // Addresses with counted changes, in the order they began counting.
    std::vector<Address> tallying_;
};

// The IPv4 addresses of the watch engine, and the IPv6 addresses of the network watch.
using FlipTracker = BasicFlipTracker<Ipv4>;
using Ipv6FlipTracker = BasicFlipTracker<IpAddress, IpAddressHash>;
extern template class BasicFlipTracker<Ipv4>;
extern template class BasicFlipTracker<IpAddress, IpAddressHash>;

}  // namespace kestrove
