#include "netinfo/linux/NetlinkNeighbourEvents.h"

#include <linux/rtnetlink.h>
#include <net/if.h>

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

NetlinkSocket NetlinkNeighbourEvents::OpenSocket() {
    return NetlinkSocket::Open(
        {.groups = RTMGRP_NEIGH, .nonBlocking = true, .receiveBuffer = kReceiveBuffer});
}

NetlinkNeighbourEvents::NetlinkNeighbourEvents() : NetlinkNeighbourEvents(OpenSocket()) {}

NetlinkNeighbourEvents::NetlinkNeighbourEvents(NetlinkSocket socket) : socket_(std::move(socket)) {
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
        NetlinkSocket::Received got = socket_.Receive(buffer_, true);
        if (got.status != NetlinkSocket::Status::Message) {
            return socket_.EndOfRead(got.status);
        }
        if (!ParseNeighbourEvents(got.bytes, filter, entries)) {
            // What a broken datagram said is unknown, so only a fresh table is sure.
            return NeighbourEventStatus::Lost;
        }
    }
    return NeighbourEventStatus::Pending;
}

}  // namespace kestrove
