#pragma once

#include <memory>
#include <vector>

#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"

namespace kestrove {

// The platform's implementations, picked by the build.
std::unique_ptr<ArpTableSource> CreateArpTableSource();
std::unique_ptr<AdapterSource> CreateAdapterSource();
std::unique_ptr<HostNameResolver> CreateHostNameResolver();
// Neighbour notifications where the platform has them; nullptr where only polling works.
std::unique_ptr<NeighbourEvents> CreateNeighbourEvents();
// The gateways of the default routes, preferred first.
std::vector<Ipv4> ReadDefaultGateways();

}  // namespace kestrove
