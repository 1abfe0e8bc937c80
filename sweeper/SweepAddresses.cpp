#include "sweeper/SweepAddresses.h"

#include <unordered_set>

namespace kestrove {
namespace {

// No address to sweep around: "this network" 0/8 (an adapter without an address reads
// 0.0.0.0), loopback, multicast and reserved.
bool Usable(Ipv4 address) {
    unsigned first = address >> 24;
    return first != 0 && first != 127 && first < 224;
}

}  // namespace

std::vector<Ipv4> SweepAddresses(const std::vector<AdapterAddress>& adapters) {
    std::vector<Ipv4> addresses;
    std::unordered_set<Ipv4> seen;
    for (const AdapterAddress& adapter : adapters) {
        Ipv4 own = 0;
        Ipv4 mask = 0;
        if (!ParseDotted(adapter.ip, own) || !ParseDotted(adapter.mask, mask) || !Usable(own)) {
            continue;
        }
        // Never more than the own /24, however wide the subnet: a /8 would take 194 days.
        Ipv4 block = own & 0xFFFFFF00u;
        for (Ipv4 last = 0; last <= 255; ++last) {
            Ipv4 address = block | last;
            if (((address ^ own) & mask) == 0 && seen.insert(address).second) {
                addresses.push_back(address);
            }
        }
    }
    return addresses;
}

std::vector<Ipv4> SweepAddresses(const OwnAdapters& own) {
    std::vector<AdapterAddress> adapters;
    for (int i = 0; i <= own.AdapterMax && i < OwnAdapters::kMaxAdapters; ++i) {
        adapters.push_back({own.OwnIpList[i], own.OwnMaskList[i]});
    }
    return SweepAddresses(adapters);
}

}  // namespace kestrove
