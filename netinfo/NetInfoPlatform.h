#pragma once

#include <memory>
#include <vector>

#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/FirstHopProber.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"
#include "netinfo/NetworkStateSource.h"

namespace kestrove {

// The platform's implementations, picked by the build.
std::unique_ptr<ArpTableSource> CreateArpTableSource();
std::unique_ptr<AdapterSource> CreateAdapterSource();
std::unique_ptr<HostNameResolver> CreateHostNameResolver();
// Neighbour notifications where the platform has them; nullptr where only polling works.
std::unique_ptr<NeighbourEvents> CreateNeighbourEvents();
// IPv6 neighbours, routes and own IPv6 addresses; nullptr where the platform has no backend.
std::unique_ptr<NetworkStateSource> CreateNetworkStateSource();
// The first-hop check; nullptr where the platform has no backend.
std::unique_ptr<FirstHopProber> CreateFirstHopProber();
// The gateways of the default routes, preferred first.
std::vector<Ipv4> ReadDefaultGateways();

}  // namespace kestrove
