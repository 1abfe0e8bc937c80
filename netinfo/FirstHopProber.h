#pragma once

#include <chrono>

#include "netinfo/IpAddress.h"

namespace kestrove {

// Who really is the first hop towards the internet: the sender of the "time exceeded" answer
// to one datagram sent with a hop limit of 1.
struct FirstHopAnswer {
    enum class Kind {
        Answered,  // `from` answered
        Silent,    // nobody answered in time
        Failed     // nothing could be sent (no route, no socket)
    };
    Kind kind = Kind::Failed;
    IpAddress from;
};

// Sends one probe and waits for its answer; blocks for at most `wait`, so it belongs on a
// worker thread, never on the user-interface thread.
class FirstHopProber {
public:
    virtual ~FirstHopProber() = default;
    virtual FirstHopAnswer Probe(const IpAddress& beyond, std::chrono::milliseconds wait) = 0;
};

// Documentation addresses (RFC 5737, RFC 3849): routed through the default gateway like any
// outside address, and answered by no real host.
inline IpAddress FirstHopTarget(IpAddress::Family family) {
    IpAddress target;
    if (family == IpAddress::Family::V6) {
        ParseIp("2001:db8::1", target);
    } else {
        target = IpAddress::FromV4(MakeIpv4(192, 0, 2, 1));
    }
    return target;
}

}  // namespace kestrove
