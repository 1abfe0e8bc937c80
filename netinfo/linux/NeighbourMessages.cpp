#include "netinfo/linux/NeighbourMessages.h"

#include "netinfo/linux/NetlinkParse.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace kestrove {
namespace {

using netlink::Align4;
using netlink::Bytes;
using netlink::Load;

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
    bool fits = netlink::ForEachAttribute(body, kNeighbourSize, [&](unsigned type, Bytes payload) {
        switch (type) {
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
    });
    if (!fits) {
        return false;
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

using netlink::ForEachMessage;

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
