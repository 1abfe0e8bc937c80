#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/watch/PackedSeconds.h"
#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// 24 bytes, the address aligned.
struct RememberedHost {
    Ipv4 address = 0;
    MacAddress mac;
    // Seconds since 1970, UTC.
    PackedSeconds firstSeen;
    PackedSeconds lastSeen;

    friend bool operator==(const RememberedHost&, const RememberedHost&) = default;
};

// The remembered hosts of one network, in address order: one array of 24-byte entries, no node
// or hash cell per host, because it is held for every host of the network as long as the
// program runs. A lookup is a binary search; hosts come in batches (a scan, a file), each
// merged in one pass.
class RememberedHostTable {
public:
    using const_iterator = std::vector<RememberedHost>::const_iterator;

    const RememberedHost* Find(Ipv4 address) const;
    RememberedHost* Find(Ipv4 address);
    // For addresses asked in increasing order (a scan's sorted rows): the entry after the last
    // one found is tried first, so a walk through the whole table searches nothing. `cursor`
    // starts at 0 and is moved by each hit.
    RememberedHost* Find(Ipv4 address, std::size_t& cursor);
    bool Contains(Ipv4 address) const { return Find(address) != nullptr; }

    // Adds `host`, or replaces the entry of its address.
    void Put(const RememberedHost& host);
    // Adds hosts none of which is in the table yet, each address once, in any order.
    void Merge(std::vector<RememberedHost>& added);
    // Takes `hosts` in any order; of two entries for one address the later stands.
    void Assign(std::vector<RememberedHost> hosts);
    // Address order; entries of one address keep theirs.
    static void SortByAddress(std::vector<RememberedHost>& hosts);
    void Clear() { hosts_ = {}; }

    std::size_t Size() const { return hosts_.size(); }
    bool Empty() const { return hosts_.empty(); }
    const_iterator begin() const { return hosts_.begin(); }
    const_iterator end() const { return hosts_.end(); }

    friend bool operator==(const RememberedHostTable&, const RememberedHostTable&) = default;

private:
    std::vector<RememberedHost> hosts_;
};

}  // namespace kestrove
