#include "netinfo/linux/NeighbourMessages.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace kestrove {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The caller has checked that sizeof(T) bytes are there; memcpy because the buffer may sit
// at any alignment.
template <class T>
T Load(Bytes bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

constexpr std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

constexpr std::size_t kHeaderSize = Align4(sizeof(nlmsghdr));
constexpr std::size_t kNeighbourSize = Align4(sizeof(ndmsg));

MacAddress UnresolvedMac() {
    MacAddress mac;
    mac.length = 6;
    return mac;
}

bool Wanted(const ndmsg& neighbour, const NeighbourDumpFilter& filter) {
    if (neighbour.ndm_family != AF_INET) {
        return false;
    }
    bool onLoopback = filter.loopbackIndex != 0 && neighbour.ndm_ifindex == filter.loopbackIndex;
    return !(onLoopback && (neighbour.ndm_state & NUD_NOARP) != 0);
}

// One RTM_NEWNEIGH body. Returns false when its attributes do not fit it.
bool ParseNeighbour(Bytes body, const NeighbourDumpFilter& filter, std::vector<ArpEntry>& entries) {
    if (body.size() < sizeof(ndmsg)) {
        return false;
    }
    if (!Wanted(Load<ndmsg>(body, 0), filter)) {
        return true;
    }
    // Incomplete and failed entries carry no hardware address: they read as the zero MAC.
    ArpEntry entry{0, UnresolvedMac()};
    bool haveAddress = false;
    for (std::size_t offset = kNeighbourSize; offset < body.size();) {
        if (body.size() - offset < sizeof(rtattr)) {
            return false;
        }
        auto attribute = Load<rtattr>(body, offset);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > body.size() - offset) {
            return false;
        }
        Bytes payload = body.subspan(offset + sizeof(rtattr), attribute.rta_len - sizeof(rtattr));
        switch (attribute.rta_type & NLA_TYPE_MASK) {
            case NDA_DST:
                if (payload.size() == 4) {
                    entry.address = MakeIpv4(payload[0], payload[1], payload[2], payload[3]);
                    haveAddress = true;
                }
                break;
            case NDA_LLADDR:
                entry.mac = MacAddress::FromBytes(payload.data(), payload.size());
                break;
            default:
                break;
        }
        offset += Align4(attribute.rta_len);
    }
    // An entry without a usable IPv4 address cannot be shown; the rest of the dump still can.
    if (haveAddress) {
        entries.push_back(entry);
    }
    return true;
}

NeighbourDumpStatus DoneStatus(Bytes body) {
    // NLMSG_DONE carries the dump's own result; a negative one means the dump broke off.
    if (body.size() >= sizeof(int) && Load<int>(body, 0) < 0) {
        return NeighbourDumpStatus::Error;
    }
    return NeighbourDumpStatus::Done;
}

// Calls `onMessage(header, body)` for every whole message of a datagram until it returns
// false. Returns false when a header or length does not fit the bytes.
template <class OnMessage>
bool ForEachMessage(Bytes bytes, OnMessage onMessage) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        if (bytes.size() - offset < sizeof(nlmsghdr)) {
            return false;
        }
        auto header = Load<nlmsghdr>(bytes, offset);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > bytes.size() - offset) {
            return false;
        }
        Bytes body = bytes.subspan(offset, header.nlmsg_len);
        body = body.subspan(std::min(kHeaderSize, body.size()));
        if (!onMessage(header, body)) {
            return true;
        }
        offset += Align4(header.nlmsg_len);
    }
    return true;
}

}  // namespace

NeighbourDumpStatus ParseNeighbourDump(Bytes bytes, const NeighbourDumpFilter& filter,
                                       std::vector<ArpEntry>& entries) {
    auto status = NeighbourDumpStatus::More;
    bool whole = ForEachMessage(bytes, [&](const nlmsghdr& header, Bytes body) {
        if (header.nlmsg_seq != filter.sequence) {
            return true;
        }
        switch (header.nlmsg_type) {
            case NLMSG_DONE:
                status = DoneStatus(body);
                return false;
            case NLMSG_ERROR:
            case NLMSG_OVERRUN:
                status = NeighbourDumpStatus::Error;
                return false;
            case RTM_NEWNEIGH:
                if (!ParseNeighbour(body, filter, entries)) {
                    status = NeighbourDumpStatus::Error;
                    return false;
                }
                return true;
            default:
                return true;
        }
    });
    return whole ? status : NeighbourDumpStatus::Error;
}

bool ParseNeighbourEvents(Bytes bytes, const NeighbourDumpFilter& filter,
                          std::vector<ArpEntry>& entries) {
    bool sound = true;
    bool whole = ForEachMessage(bytes, [&](const nlmsghdr& header, Bytes body) {
        // A change made through netlink carries the requester's port and sequence; only the
        // message type tells an announcement.
        if (header.nlmsg_type == RTM_NEWNEIGH && !ParseNeighbour(body, filter, entries)) {
            sound = false;
            return false;
        }
        return true;
    });
    return whole && sound;
}

}  // namespace kestrove
