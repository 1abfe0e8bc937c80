#include "netinfo/NetInfoPlatform.h"

#include "netinfo/windows/DefaultGateways.h"
#include "netinfo/windows/IpHelperAdapterSource.h"
#include "netinfo/windows/IpHelperArpTableSource.h"
#include "netinfo/windows/WinsockResolver.h"

namespace kestrove {

std::unique_ptr<ArpTableSource> CreateArpTableSource() {
    return std::make_unique<IpHelperArpTableSource>();
}

std::unique_ptr<AdapterSource> CreateAdapterSource() {
    return std::make_unique<IpHelperAdapterSource>();
}

// NotifyIpInterfaceChange and its kin do not report neighbour changes: the table is polled.
std::unique_ptr<NeighbourEvents> CreateNeighbourEvents() {
    return nullptr;
}

// IPv6 neighbours, routes and the first-hop check have no Windows backend yet: the watch of
// IPv6 and of the gateway is then off, and IPv4 is watched as before.
std::unique_ptr<NetworkStateSource> CreateNetworkStateSource() {
    return nullptr;
}

std::unique_ptr<FirstHopProber> CreateFirstHopProber() {
    return nullptr;
}

std::unique_ptr<HostNameResolver> CreateHostNameResolver() {
    return std::make_unique<WinsockResolver>();
}

std::vector<Ipv4> ReadDefaultGateways() {
    return ReadIpForwardGateways();
}

}  // namespace kestrove
