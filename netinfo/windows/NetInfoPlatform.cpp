#include "netinfo/NetInfoPlatform.h"

#include <chrono>

#include "netinfo/PolledNeighbourEvents.h"
#include "netinfo/PolledNetworkStateSource.h"
#include "netinfo/windows/DefaultGateways.h"
#include "netinfo/windows/IcmpFirstHopProber.h"
#include "netinfo/windows/IpHelperAdapterSource.h"
#include "netinfo/windows/IpHelperArpTableSource.h"
#include "netinfo/windows/IpHelperNetworkState.h"
#include "netinfo/windows/WinsockResolver.h"

namespace kestrove {

std::unique_ptr<ArpTableSource> CreateArpTableSource() {
    return std::make_unique<IpHelperArpTableSource>();
}

std::unique_ptr<AdapterSource> CreateAdapterSource() {
    return std::make_unique<IpHelperAdapterSource>();
}

// IP Helper tells of no neighbour change (NotifyIpInterfaceChange and its kin report
// interfaces and routes only), so the table is read every 50 ms and compared: a poisoning
// undone within the second between two scans is still seen.
std::unique_ptr<NeighbourEvents> CreateNeighbourEvents() {
    return std::make_unique<PolledNeighbourEvents>(CreateArpTableSource(),
                                                   std::chrono::milliseconds(50));
}

// IP Helper's route and address notifications (NotifyRouteChange2,
// NotifyUnicastIpAddressChange) say nothing of IPv6 neighbours, so all of it is read at a short
// interval, as the IPv4 neighbours are.
std::unique_ptr<NetworkStateSource> CreateNetworkStateSource() {
    return std::make_unique<PolledNetworkStateSource>(&ReadIpHelperNetworkState,
                                                      std::chrono::milliseconds(50));
}

std::unique_ptr<FirstHopProber> CreateFirstHopProber() {
    return std::make_unique<IcmpFirstHopProber>();
}

std::unique_ptr<HostNameResolver> CreateHostNameResolver() {
    return std::make_unique<WinsockResolver>();
}

std::vector<Ipv4> ReadDefaultGateways() {
    return ReadIpForwardGateways();
}

}  // namespace kestrove
