#pragma once

#include <vector>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// One entry of this computer's ARP (neighbour) table.
struct ArpEntry {
    Ipv4 address = 0;
    MacAddress mac;

    friend bool operator==(const ArpEntry&, const ArpEntry&) = default;
};

class ArpTableSource {
public:
    virtual ~ArpTableSource() = default;
    // Replaces `entries` with the table in the platform's order. Returns false when the table
    // could not be read; the scan then treats it like an empty table.
    virtual bool Read(std::vector<ArpEntry>& entries) = 0;
};

}  // namespace kestrove
