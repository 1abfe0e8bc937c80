#include "netinfo/linux/NetlinkNeighbourEvents.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cerrno>
#include <span>

#include "netinfo/linux/NeighbourMessages.h"

namespace kestrove {
namespace {

// One notification is about a hundred bytes; a datagram never holds more than a page or two.
constexpr std::size_t kBufferSize = 16 * 1024;
// Datagrams read per Read(): enough for a burst, small enough to give the event loop back soon.
constexpr int kMaxDatagrams = 512;
// Room for tens of thousands of notifications queued at once (each costs the socket about a
// kilobyte), so a whole table changing does not overflow; an overflow still only costs a scan.
constexpr int kReceiveBuffer = 32 * 1024 * 1024;
constexpr int kDefaultLoopbackIndex = 1;

}  // namespace

UniqueFd NetlinkNeighbourEvents::OpenSocket() {
    UniqueFd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    if (!fd) {
        return fd;
    }
    // Beyond the system's limit only a privileged process may go; otherwise take what is allowed.
    if (::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUFFORCE, &kReceiveBuffer,
                     sizeof kReceiveBuffer) != 0) {
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_NEIGH;
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        fd.Reset();
    }
    return fd;
}

NetlinkNeighbourEvents::NetlinkNeighbourEvents() : NetlinkNeighbourEvents(OpenSocket()) {}

NetlinkNeighbourEvents::NetlinkNeighbourEvents(UniqueFd socket) : socket_(std::move(socket)) {
    unsigned index = ::if_nametoindex("lo");
    loopbackIndex_ = index != 0 ? static_cast<int>(index) : kDefaultLoopbackIndex;
    if (socket_) {
        buffer_.resize(kBufferSize);
    }
}

NeighbourEventStatus NetlinkNeighbourEvents::Read(std::vector<ArpEntry>& entries) {
    if (!socket_) {
        return NeighbourEventStatus::Closed;
    }
    const NeighbourDumpFilter filter{0, loopbackIndex_};
    for (int i = 0; i < kMaxDatagrams; ++i) {
        sockaddr_nl from{};
        iovec part{buffer_.data(), buffer_.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t received = ::recvmsg(socket_.Get(), &message, MSG_DONTWAIT);
        if (received < 0) {
            switch (errno) {
                case EAGAIN:
                    return NeighbourEventStatus::Drained;
                case EINTR:
                    continue;
                case ENOBUFS:
                    // The queue overflowed; the socket goes on with what comes next.
                    return NeighbourEventStatus::Lost;
                default:
                    socket_.Reset();
                    return NeighbourEventStatus::Closed;
            }
        }
        // Only the kernel (port 0) announces neighbours; anything else is not ours to believe.
        if (from.nl_pid != 0 || received == 0) {
            continue;
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) {
            return NeighbourEventStatus::Lost;
        }
        std::span<const std::uint8_t> bytes(buffer_.data(), static_cast<std::size_t>(received));
        if (!ParseNeighbourEvents(bytes, filter, entries)) {
            // What a broken datagram said is unknown, so only a fresh table is sure.
            return NeighbourEventStatus::Lost;
        }
    }
    return NeighbourEventStatus::Pending;
}

}  // namespace kestrove
