#pragma once

#include "sweeper/Prober.h"

namespace kestrove {

// A non-blocking TCP connect to port 80, closed at once. The kernel still resolves the target's
// MAC address (and sends the queued SYN once it knows it), which is all the sweep needs.
class TcpConnectProber final : public Prober {
public:
    bool Probe(Ipv4 address) override;
};

}  // namespace kestrove
