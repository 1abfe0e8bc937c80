#pragma once

#include <cstdint>
#include <vector>

#include "netinfo/NeighbourEvents.h"
#include "netinfo/linux/NetlinkSocket.h"

namespace kestrove {

// The kernel's neighbour notifications (rtnetlink group RTMGRP_NEIGH) on a non-blocking
// socket of their own. Like the table source, it hears the network namespace the constructing
// thread was in. When the socket cannot be had, Handle() is negative and Read() says Closed.
class NetlinkNeighbourEvents final : public NeighbourEvents {
public:
    NetlinkNeighbourEvents();
    // Over a socket opened beforehand with OpenSocket() (which may have failed).
    explicit NetlinkNeighbourEvents(NetlinkSocket socket);

    // A non-blocking netlink socket bound to the neighbour group; invalid when it cannot be had.
    static NetlinkSocket OpenSocket();

    int Handle() const override { return socket_.Handle(); }
    NeighbourEventStatus Read(std::vector<ArpEntry>& entries) override;

    bool IsOpen() const { return static_cast<bool>(socket_); }

private:
    NetlinkSocket socket_;
    int loopbackIndex_ = 0;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace kestrove
