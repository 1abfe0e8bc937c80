#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "netinfo/NeighbourEvents.h"
#include "netinfo/linux/UniqueFd.h"

namespace kestrove {

// A route-netlink socket, for the table dumps and the kernel's notifications alike: opened and
// bound in one step, read one datagram at a time, and believing only what the kernel sent.
class NetlinkSocket {
public:
    struct Options {
        // RTMGRP_* bits of the notification groups to join (none for a dump socket).
        std::uint32_t groups = 0;
        bool nonBlocking = false;
        // Zero: a blocking receive waits for ever.
        std::chrono::milliseconds receiveTimeout{0};
        // Zero: the system's default queue size.
        int receiveBuffer = 0;
    };

    enum class Status {
        Message,  // `bytes` holds one datagram from the kernel
        Again,    // nothing waiting (non-blocking), or the receive timed out
        Overrun,  // the queue overflowed (ENOBUFS) or a datagram did not fit: messages lost
        Failed    // the socket is of no more use
    };
    struct Received {
        Status status = Status::Failed;
        std::span<const std::uint8_t> bytes;
    };

    NetlinkSocket() = default;
    // Invalid when the socket cannot be had (out of descriptors, no netlink).
    static NetlinkSocket Open(const Options& options);

    explicit operator bool() const { return static_cast<bool>(fd_); }
    int Handle() const { return fd_.Get(); }
    void Close() { fd_.Reset(); }

    // Sends a dump request of `type` (RTM_GETNEIGH, RTM_GETROUTE, …) whose body is `body`.
    bool RequestDump(std::uint16_t type, std::span<const std::byte> body, std::uint32_t sequence);

    // One datagram into `buffer`; datagrams from anyone but the kernel are skipped.
    Received Receive(std::vector<std::uint8_t>& buffer, bool dontWait);
    // For a read of notifications: how a receive that brought no message ends the read (the
    // socket closed for good after a failure); Drained stands for none, a message to parse.
    NeighbourEventStatus EndOfRead(Status status) {
        switch (status) {
            case Status::Message:
                break;
            case Status::Again:
                return NeighbourEventStatus::Drained;
            case Status::Overrun:
                return NeighbourEventStatus::Lost;
            case Status::Failed:
                Close();
                return NeighbourEventStatus::Closed;
        }
        return NeighbourEventStatus::Drained;
    }

    // Reads and drops up to `maxDatagrams` waiting datagrams without blocking.
    void Drain(std::vector<std::uint8_t>& buffer, int maxDatagrams);

private:
    explicit NetlinkSocket(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

}  // namespace kestrove
