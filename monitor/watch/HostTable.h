#pragma once

#include <cstddef>
#include <unordered_map>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// The MAC last seen for every host of the watched subnet since the last clear. Keyed by the
// whole IPv4 address: one hashed lookup per ARP entry, memory in proportion to the hosts seen,
// and no limit on their number.
class HostTable {
public:
    // The recorded MAC, or nullptr for a host never recorded.
    const MacAddress* Find(Ipv4 address) const {
        auto it = macs_.find(address);
        return it == macs_.end() ? nullptr : &it->second;
    }
    // Records a new host or notes a changed MAC.
    void Record(Ipv4 address, const MacAddress& mac) { macs_[address] = mac; }
    void Clear() { macs_ = {}; }
    std::size_t Count() const { return macs_.size(); }

private:
    std::unordered_map<Ipv4, MacAddress> macs_;
};

}  // namespace kestrove
