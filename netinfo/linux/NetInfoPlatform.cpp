#include "netinfo/NetInfoPlatform.h"

#include "netinfo/linux/DefaultRoute.h"
#include "netinfo/linux/GetnameinfoResolver.h"
#include "netinfo/linux/IfaddrsAdapterSource.h"
#include "netinfo/linux/NetlinkArpTableSource.h"
#include "netinfo/linux/NetlinkNeighbourEvents.h"
#include "netinfo/linux/NetlinkNetworkStateSource.h"
#include "netinfo/linux/UdpFirstHopProber.h"

namespace kestrove {

std::unique_ptr<ArpTableSource> CreateArpTableSource() {
    return std::make_unique<NetlinkArpTableSource>();
}

std::unique_ptr<AdapterSource> CreateAdapterSource() {
    return std::make_unique<IfaddrsAdapterSource>();
}

std::unique_ptr<NeighbourEvents> CreateNeighbourEvents() {
    return std::make_unique<NetlinkNeighbourEvents>();
}

std::unique_ptr<NetworkStateSource> CreateNetworkStateSource() {
    return std::make_unique<NetlinkNetworkStateSource>();
}

std::unique_ptr<FirstHopProber> CreateFirstHopProber() {
    return std::make_unique<UdpFirstHopProber>();
}

std::unique_ptr<HostNameResolver> CreateHostNameResolver() {
    return std::make_unique<GetnameinfoResolver>();
}

std::vector<Ipv4> ReadDefaultGateways() {
    return ReadDefaultRouteGateways();
}

}  // namespace kestrove
