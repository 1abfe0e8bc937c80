#pragma once

#include "netinfo/Ipv4.h"

namespace kestrove {

// Makes one host resolve into the neighbour table: starts a TCP connection attempt to port 80
// and drops it at once, without waiting for an answer.
class Prober {
public:
    virtual ~Prober() = default;
    // False when the attempt failed at once (a broadcast or unroutable address), so the sweep
    // need not wait for it.
    virtual bool Probe(Ipv4 address) = 0;
};

}  // namespace kestrove
