#include "netinfo/windows/IpHelperNetworkState.h"

// Each block on its own, as the order matters: winsock2.h and ws2ipdef.h before the IP Helper
// headers, which declare the MIB tables only after them.
#include <winsock2.h>

#include <ws2ipdef.h>

#include <iphlpapi.h>

#include <netioapi.h>

#include <memory>

namespace kestrove {
namespace {

// Frees an IP Helper table when it goes.
struct MibTableFree {
    void operator()(void* table) const { ::FreeMibTable(table); }
};
template <class T>
using MibTable = std::unique_ptr<T, MibTableFree>;

IpAddress FromSockaddr(const SOCKADDR_INET& a) {
    if (a.si_family == AF_INET6) {
        return IpAddress::FromV6(a.Ipv6.sin6_addr.s6_addr);
    }
    if (a.si_family == AF_INET) {
        return IpAddress::FromV4(ntohl(a.Ipv4.sin_addr.s_addr));
    }
    return {};
}

RouteOrigin OriginOf(NL_ROUTE_ORIGIN origin) {
    switch (origin) {
        case NlroManual:
            return RouteOrigin::Static;
        case NlroDHCP:
            return RouteOrigin::Dhcp;
        case NlroRouterAdvertisement:
            return RouteOrigin::RouterAdvertisement;
        default:
            return RouteOrigin::Other;
    }
}

bool ReadNeighbours(std::vector<Neighbour6>& neighbours) {
    MIB_IPNET_TABLE2* raw = nullptr;
    DWORD status = ::GetIpNetTable2(AF_INET6, &raw);
    // A system that keeps no IPv6 neighbour table (Wine answers "invalid function") always has
    // none: the routes and addresses are still watched. Any other failure fails the read, so a
    // passing error never looks like every neighbour gone.
    if (status == ERROR_INVALID_FUNCTION || status == ERROR_NOT_SUPPORTED) {
        neighbours.clear();
        return true;
    }
    if (status != NO_ERROR || raw == nullptr) {
        return false;
    }
    MibTable<MIB_IPNET_TABLE2> table(raw);
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPNET_ROW2& row = table->Table[i];
        Neighbour6 n;
        n.address = FromSockaddr(row.Address);
        n.interfaceIndex = static_cast<int>(row.InterfaceIndex);
        n.router = row.IsRouter != 0;
        bool resolved = row.State >= NlnsProbe && row.State <= NlnsPermanent && !row.IsUnreachable;
        if (resolved) {
            ULONG length = row.PhysicalAddressLength > IF_MAX_PHYS_ADDRESS_LENGTH
                               ? IF_MAX_PHYS_ADDRESS_LENGTH
                               : row.PhysicalAddressLength;
            n.mac = MacAddress::FromBytes(row.PhysicalAddress, length);
        }
        if (n.address.IsV6()) {
            neighbours.push_back(n);
        }
    }
    return true;
}

bool ReadRoutes(std::vector<Route>& routes) {
    MIB_IPFORWARD_TABLE2* raw = nullptr;
    if (::GetIpForwardTable2(AF_UNSPEC, &raw) != NO_ERROR || raw == nullptr) {
        return false;
    }
    MibTable<MIB_IPFORWARD_TABLE2> table(raw);
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPFORWARD_ROW2& row = table->Table[i];
        Route r;
        r.destination = FromSockaddr(row.DestinationPrefix.Prefix);
        r.prefixLength = row.DestinationPrefix.PrefixLength;
        r.gateway = FromSockaddr(row.NextHop);
        if (r.gateway.IsUnspecified()) {
            r.gateway = {};  // on-link
        }
        r.interfaceIndex = static_cast<int>(row.InterfaceIndex);
        r.metric = row.Metric;
        r.origin = OriginOf(row.Origin);
        if (r.IsDefault() || r.origin == RouteOrigin::RouterAdvertisement) {
            routes.push_back(r);
        }
    }
    return true;
}

bool ReadAddresses(std::vector<OwnAddress>& addresses) {
    MIB_UNICASTIPADDRESS_TABLE* raw = nullptr;
    if (::GetUnicastIpAddressTable(AF_INET6, &raw) != NO_ERROR || raw == nullptr) {
        return false;
    }
    MibTable<MIB_UNICASTIPADDRESS_TABLE> table(raw);
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_UNICASTIPADDRESS_ROW& row = table->Table[i];
        OwnAddress a;
        a.address = FromSockaddr(row.Address);
        a.prefixLength = row.OnLinkPrefixLength;
        a.interfaceIndex = static_cast<int>(row.InterfaceIndex);
        a.tentative = row.DadState == IpDadStateTentative;
        a.dadFailed = row.DadState == IpDadStateDuplicate;
        if (a.address.IsV6()) {
            addresses.push_back(a);
        }
    }
    return true;
}

}  // namespace

bool ReadIpHelperNetworkState(NetworkSnapshot& snapshot) {
    snapshot = {};
    return ReadNeighbours(snapshot.neighbours) && ReadRoutes(snapshot.routes) &&
           ReadAddresses(snapshot.addresses);
}

}  // namespace kestrove
