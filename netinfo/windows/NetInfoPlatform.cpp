#include "netinfo/NetInfoPlatform.h"

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

// NotifyIpInterfaceChange and its kin do not report neighbour changes: the table is polled.
std::unique_ptr<NeighbourEvents> CreateNeighbourEvents() {
    return nullptr;
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
