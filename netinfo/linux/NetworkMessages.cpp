#include "netinfo/linux/NetworkMessages.h"

#include <linux/icmpv6.h>
#include <linux/if_addr.h>
#include <linux/neighbour.h>
#include <sys/socket.h>

#include "netinfo/linux/NetlinkParse.h"

namespace kestrove {
namespace {

using netlink::Align4;
using netlink::Bytes;
using netlink::Load;
using netlink::LoadExact;

// Router advertisement options the kernel passes on (RFC 8106).
constexpr std::uint8_t kRdnssOption = 25;

bool AddressOf(std::uint8_t family, Bytes payload, IpAddress& address) {
    if (family == AF_INET6 && payload.size() == 16) {
        address = IpAddress::FromV6(payload.data());
        return true;
    }
    if (family == AF_INET && payload.size() == 4) {
        address = IpAddress::FromV4(MakeIpv4(payload[0], payload[1], payload[2], payload[3]));
        return true;
    }
    return false;
}

// Each Parse* appends what one message body holds (nothing for another family or a route of no
// interest) and returns false when the bytes are malformed.

bool ParseNeighbour6(Bytes body, bool removed, std::vector<Neighbour6>& neighbours) {
    if (body.size() < sizeof(ndmsg)) {
        return false;
    }
    auto header = Load<ndmsg>(body, 0);
    if (header.ndm_family != AF_INET6) {
        return true;
    }
    Neighbour6 n;
    n.interfaceIndex = header.ndm_ifindex;
    n.state = header.ndm_state;
    n.router = (header.ndm_flags & NTF_ROUTER) != 0;
    n.removed = removed;
    bool haveAddress = false;
    bool fits = netlink::ForEachAttribute(body, Align4(sizeof(ndmsg)), [&](unsigned type, Bytes p) {
        if (type == NDA_DST) {
            haveAddress = AddressOf(AF_INET6, p, n.address);
        } else if (type == NDA_LLADDR) {
            n.mac = MacAddress::FromBytes(p.data(), p.size());
        }
    });
    if (!fits) {
        return false;
    }
    if (haveAddress) {
        neighbours.push_back(n);
    }
    return true;
}

RouteOrigin OriginOf(std::uint8_t protocol) {
    switch (protocol) {
        case RTPROT_KERNEL:
            return RouteOrigin::Kernel;
        case RTPROT_BOOT:
            return RouteOrigin::Boot;
        case RTPROT_STATIC:
            return RouteOrigin::Static;
        case RTPROT_RA:
            return RouteOrigin::RouterAdvertisement;
        case RTPROT_DHCP:
            return RouteOrigin::Dhcp;
        default:
            return RouteOrigin::Other;
    }
}

RouterPreference PreferenceOf(std::uint8_t pref) {
    switch (pref) {
        case ICMPV6_ROUTER_PREF_LOW:
            return RouterPreference::Low;
        case ICMPV6_ROUTER_PREF_MEDIUM:
            return RouterPreference::Medium;
        case ICMPV6_ROUTER_PREF_HIGH:
            return RouterPreference::High;
        default:
            return RouterPreference::None;
    }
}

// A gateway given as RTA_VIA: an address of another family (an IPv4 route via IPv6).
bool ViaAddress(Bytes payload, IpAddress& gateway) {
    constexpr std::size_t kFamilySize = sizeof(__kernel_sa_family_t);
    if (payload.size() < kFamilySize) {
        return false;
    }
    auto family = Load<__kernel_sa_family_t>(payload, 0);
    return AddressOf(static_cast<std::uint8_t>(family), payload.subspan(kFamilySize), gateway);
}

// The next hops of RTA_MULTIPATH, each a route of its own. False when they do not fit.
bool ParseNextHops(Bytes payload, std::uint8_t family, const Route& base,
                   std::vector<Route>& routes) {
    for (std::size_t offset = 0; offset < payload.size();) {
        if (payload.size() - offset < sizeof(rtnexthop)) {
            return false;
        }
        auto hop = Load<rtnexthop>(payload, offset);
        if (hop.rtnh_len < sizeof(rtnexthop) || hop.rtnh_len > payload.size() - offset) {
            return false;
        }
        Route route = base;
        route.interfaceIndex = hop.rtnh_ifindex;
        Bytes inner = payload.subspan(offset, hop.rtnh_len);
        bool fits = netlink::ForEachAttribute(inner, Align4(sizeof(rtnexthop)),
                                              [&](unsigned type, Bytes p) {
                                                  if (type == RTA_GATEWAY) {
                                                      AddressOf(family, p, route.gateway);
                                                  } else if (type == RTA_VIA) {
                                                      ViaAddress(p, route.gateway);
                                                  }
                                              });
        if (!fits) {
            return false;
        }
        routes.push_back(route);
        offset += Align4(hop.rtnh_len);
    }
    return true;
}

bool ParseRoute(Bytes body, bool removed, bool replaces, std::vector<Route>& routes) {
    if (body.size() < sizeof(rtmsg)) {
        return false;
    }
    auto header = Load<rtmsg>(body, 0);
    if (header.rtm_family != AF_INET && header.rtm_family != AF_INET6) {
        return true;
    }
    Route route;
    route.prefixLength = header.rtm_dst_len;
    route.origin = OriginOf(header.rtm_protocol);
    route.removed = removed;
    route.replaces = replaces;
    route.destination.family =
        header.rtm_family == AF_INET6 ? IpAddress::Family::V6 : IpAddress::Family::V4;
    std::uint32_t table = header.rtm_table;
    Bytes multipath;
    bool fits = netlink::ForEachAttribute(body, Align4(sizeof(rtmsg)), [&](unsigned type, Bytes p) {
        switch (type) {
            case RTA_TABLE:
                LoadExact(p, table);
                break;
            case RTA_DST:
                AddressOf(header.rtm_family, p, route.destination);
                break;
            case RTA_GATEWAY:
                AddressOf(header.rtm_family, p, route.gateway);
                break;
            case RTA_VIA:
                ViaAddress(p, route.gateway);
                break;
            case RTA_OIF: {
                std::int32_t index = 0;
                if (LoadExact(p, index)) {
                    route.interfaceIndex = index;
                }
                break;
            }
            case RTA_PRIORITY:
                LoadExact(p, route.metric);
                break;
            case RTA_PREF:
                if (p.size() == 1) {
                    route.preference = PreferenceOf(p[0]);
                }
                break;
            case RTA_MULTIPATH:
                multipath = p;
                break;
            default:
                break;
        }
    });
    if (!fits) {
        return false;
    }
    // The local and broadcast tables, multicast and unreachable routes say nothing of gateways.
    bool wanted = table == RT_TABLE_MAIN && header.rtm_type == RTN_UNICAST &&
                  (route.IsDefault() || route.origin == RouteOrigin::RouterAdvertisement);
    if (!wanted) {
        return true;
    }
    if (!multipath.empty()) {
        return ParseNextHops(multipath, header.rtm_family, route, routes);
    }
    routes.push_back(route);
    return true;
}

bool ParseAddress(Bytes body, bool removed, std::vector<OwnAddress>& addresses) {
    if (body.size() < sizeof(ifaddrmsg)) {
        return false;
    }
    auto header = Load<ifaddrmsg>(body, 0);
    if (header.ifa_family != AF_INET6) {
        return true;
    }
    OwnAddress a;
    a.prefixLength = header.ifa_prefixlen;
    a.interfaceIndex = static_cast<int>(header.ifa_index);
    a.removed = removed;
    std::uint32_t flags = header.ifa_flags;
    bool haveAddress = false;
    bool fits =
        netlink::ForEachAttribute(body, Align4(sizeof(ifaddrmsg)), [&](unsigned type, Bytes p) {
            if (type == IFA_ADDRESS) {
                haveAddress = AddressOf(AF_INET6, p, a.address);
            } else if (type == IFA_FLAGS) {
                LoadExact(p, flags);  // the whole flag word; ifa_flags holds only its low byte
            }
        });
    if (!fits) {
        return false;
    }
    a.tentative = (flags & IFA_F_TENTATIVE) != 0;
    a.dadFailed = (flags & IFA_F_DADFAILED) != 0;
    if (haveAddress) {
        addresses.push_back(a);
    }
    return true;
}

// RTM_NEWNDUSEROPT: the options of one router advertisement the kernel did not act on, and the
// router that sent it. Only the DNS servers are taken.
bool ParseUserOptions(Bytes body, std::vector<NetworkChange>& out) {
    if (body.size() < sizeof(nduseroptmsg)) {
        return false;
    }
    auto header = Load<nduseroptmsg>(body, 0);
    if (header.nduseropt_family != AF_INET6 ||
        header.nduseropt_opts_len > body.size() - sizeof(nduseroptmsg)) {
        return header.nduseropt_family != AF_INET6;
    }
    RouterOptions options;
    options.interfaceIndex = header.nduseropt_ifindex;
    Bytes opts = body.subspan(sizeof(nduseroptmsg), header.nduseropt_opts_len);
    for (std::size_t offset = 0; offset + 2 <= opts.size();) {
        std::size_t length = std::size_t{opts[offset + 1]} * 8;
        if (length == 0 || length > opts.size() - offset) {
            return false;  // RFC 4861: a zero length is invalid and ends the parse
        }
        if (opts[offset] == kRdnssOption && length >= 24) {
            std::uint32_t lifetime = Load<std::uint32_t>(opts, offset + 4);
            for (std::size_t at = offset + 8; lifetime != 0 && at + 16 <= offset + length;
                 at += 16) {
                options.dnsServers.push_back(IpAddress::FromV6(opts.data() + at));
            }
        }
        offset += length;
    }
    bool fits =
        netlink::ForEachAttribute(body, Align4(sizeof(nduseroptmsg) + header.nduseropt_opts_len),
                                  [&](unsigned type, Bytes p) {
                                      if (type == NDUSEROPT_SRCADDR) {
                                          AddressOf(AF_INET6, p, options.router);
                                      }
                                  });
    if (!fits) {
        return false;
    }
    if (!options.dnsServers.empty()) {
        out.emplace_back(std::move(options));
    }
    return true;
}

bool ParsePrefix(Bytes body, std::vector<NetworkChange>& out) {
    if (body.size() < sizeof(prefixmsg)) {
        return false;
    }
    auto header = Load<prefixmsg>(body, 0);
    if (header.prefix_family != AF_INET6) {
        return true;
    }
    AdvertisedPrefix prefix;
    prefix.interfaceIndex = header.prefix_ifindex;
    prefix.prefixLength = header.prefix_len;
    bool haveAddress = false;
    bool fits =
        netlink::ForEachAttribute(body, Align4(sizeof(prefixmsg)), [&](unsigned type, Bytes p) {
            if (type == PREFIX_ADDRESS) {
                haveAddress = AddressOf(AF_INET6, p, prefix.prefix);
            }
        });
    if (!fits) {
        return false;
    }
    if (haveAddress) {
        out.emplace_back(prefix);
    }
    return true;
}

NeighbourDumpStatus DoneStatus(Bytes body) {
    if (body.size() >= sizeof(int) && Load<int>(body, 0) < 0) {
        return NeighbourDumpStatus::Error;
    }
    return NeighbourDumpStatus::Done;
}

}  // namespace

NeighbourDumpStatus ParseNetworkDump(Bytes bytes, std::uint32_t sequence,
                                     NetworkSnapshot& snapshot) {
    auto status = NeighbourDumpStatus::More;
    bool whole = netlink::ForEachMessage(bytes, [&](const nlmsghdr& header, Bytes body) {
        if (header.nlmsg_seq != sequence) {
            return true;
        }
        bool sound = true;
        switch (header.nlmsg_type) {
            case NLMSG_DONE:
                status = DoneStatus(body);
                return false;
            case NLMSG_ERROR:
            case NLMSG_OVERRUN:
                status = NeighbourDumpStatus::Error;
                return false;
            case RTM_NEWNEIGH:
                sound = ParseNeighbour6(body, false, snapshot.neighbours);
                break;
            case RTM_NEWROUTE:
                sound = ParseRoute(body, false, false, snapshot.routes);
                break;
            case RTM_NEWADDR:
                sound = ParseAddress(body, false, snapshot.addresses);
                break;
            default:
                break;
        }
        if (!sound) {
            status = NeighbourDumpStatus::Error;
        }
        return sound;
    });
    return whole ? status : NeighbourDumpStatus::Error;
}

bool ParseNetworkEvents(Bytes bytes, std::vector<NetworkChange>& changes) {
    bool sound = true;
    NetworkSnapshot parsed;
    auto take = [&changes](auto& items) {
        changes.insert(changes.end(), items.begin(), items.end());
        items.clear();
    };
    bool whole = netlink::ForEachMessage(bytes, [&](const nlmsghdr& header, Bytes body) {
        switch (header.nlmsg_type) {
            case RTM_NEWNEIGH:
            case RTM_DELNEIGH:
                sound = ParseNeighbour6(body, header.nlmsg_type == RTM_DELNEIGH, parsed.neighbours);
                take(parsed.neighbours);
                break;
            case RTM_NEWROUTE:
            case RTM_DELROUTE:
                sound = ParseRoute(body, header.nlmsg_type == RTM_DELROUTE,
                                   (header.nlmsg_flags & NLM_F_REPLACE) != 0, parsed.routes);
                take(parsed.routes);
                break;
            case RTM_NEWADDR:
            case RTM_DELADDR:
                sound = ParseAddress(body, header.nlmsg_type == RTM_DELADDR, parsed.addresses);
                take(parsed.addresses);
                break;
            case RTM_NEWNDUSEROPT:
                sound = ParseUserOptions(body, changes);
                break;
            case RTM_NEWPREFIX:
                sound = ParsePrefix(body, changes);
                break;
            default:
                break;
        }
        return sound;
    });
    return whole && sound;
}

}  // namespace kestrove
