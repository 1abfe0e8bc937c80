#include "netinfo/linux/NetlinkNetworkStateSource.h"

#include <linux/if_addr.h>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>

#include "netinfo/linux/NetworkMessages.h"

namespace kestrove {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::chrono::milliseconds kReceiveTimeout{1000};
constexpr std::chrono::milliseconds kDumpLimit{3000};
constexpr int kMaxDatagrams = 256;
constexpr int kReceiveBuffer = 4 * 1024 * 1024;
constexpr int kMaxDrainChunks = 4096;

constexpr std::uint32_t GroupBit(unsigned group) {
    return 1u << (group - 1);
}

// Neighbours of both families come on one group; the IPv4 ones are the other source's and
// are passed over here.
constexpr std::uint32_t kGroups = GroupBit(RTNLGRP_NEIGH) | GroupBit(RTNLGRP_IPV4_ROUTE) |
                                  GroupBit(RTNLGRP_IPV6_ROUTE) | GroupBit(RTNLGRP_IPV6_IFADDR) |
                                  GroupBit(RTNLGRP_IPV6_PREFIX) | GroupBit(RTNLGRP_ND_USEROPT);

// The first byte of every request body is its family; the rest may stay zero.
struct DumpBody {
    std::uint8_t family = 0;
    std::uint8_t rest[11]{};
};

std::size_t BodySize(std::uint16_t type) {
    switch (type) {
        case RTM_GETADDR:
            return sizeof(ifaddrmsg);
        case RTM_GETROUTE:
            return sizeof(rtmsg);
        default:
            return sizeof(ndmsg);
    }
}

}  // namespace

NetlinkNetworkStateSource::NetlinkNetworkStateSource()
    : dumps_(NetlinkSocket::Open({.receiveTimeout = kReceiveTimeout})),
      events_(NetlinkSocket::Open(
          {.groups = kGroups, .nonBlocking = true, .receiveBuffer = kReceiveBuffer})),
      buffer_(kBufferSize) {}

bool NetlinkNetworkStateSource::Dump(NetworkSnapshot& snapshot) {
    snapshot = {};
    if (!dumps_) {
        return false;
    }
    return DumpOne(RTM_GETNEIGH, AF_INET6, snapshot) &&
           DumpOne(RTM_GETROUTE, AF_UNSPEC, snapshot) && DumpOne(RTM_GETADDR, AF_INET6, snapshot);
}

bool NetlinkNetworkStateSource::DumpOne(std::uint16_t type, std::uint8_t family,
                                        NetworkSnapshot& snapshot) {
    DumpBody body;
    body.family = family;
    std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(&body), BodySize(type));
    // A dump left unfinished by a timeout would answer the next request first: drain it.
    dumps_.Drain(buffer_, kMaxDrainChunks);
    if (!dumps_.RequestDump(type, bytes, ++sequence_)) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kDumpLimit;
    for (;;) {
        NetlinkSocket::Received got = dumps_.Receive(buffer_, false);
        if (got.status != NetlinkSocket::Status::Message ||
            std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        switch (ParseNetworkDump(got.bytes, sequence_, snapshot)) {
            case NeighbourDumpStatus::Done:
                return true;
            case NeighbourDumpStatus::Error:
                return false;
            case NeighbourDumpStatus::More:
                break;
        }
    }
}

NeighbourEventStatus NetlinkNetworkStateSource::Read(std::vector<NetworkChange>& changes) {
    if (!events_) {
        return NeighbourEventStatus::Closed;
    }
    for (int i = 0; i < kMaxDatagrams; ++i) {
        NetlinkSocket::Received got = events_.Receive(buffer_, true);
        if (got.status != NetlinkSocket::Status::Message) {
            return events_.EndOfRead(got.status);
        }
        if (!ParseNetworkEvents(got.bytes, changes)) {
            return NeighbourEventStatus::Lost;
        }
    }
    return NeighbourEventStatus::Pending;
}

}  // namespace kestrove
