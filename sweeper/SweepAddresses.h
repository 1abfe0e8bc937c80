#pragma once

#include <string>
#include <vector>

#include "netinfo/Ipv4.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

struct AdapterAddress {
    std::string ip;    // dotted, as the adapter list gives it
    std::string mask;  // dotted
};

// The addresses one sweep contacts, in order. For every adapter with a usable IPv4 address, the
// part of its own /24 that lies in its subnet: the whole /24 (.0 to .255) for a mask of /24 or
// wider, only the subnet's addresses for a narrower one. Adapters in their order; an address
// that an earlier adapter already brought is not repeated.
std::vector<Ipv4> SweepAddresses(const std::vector<AdapterAddress>& adapters);

// The same for the adapters read at start (indices 0 to AdapterMax).
std::vector<Ipv4> SweepAddresses(const OwnAdapters& own);

}  // namespace kestrove
