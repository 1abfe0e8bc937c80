#pragma once

#include <memory>
#include <vector>

#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"

namespace kestrove {

// The platform's implementations, picked by the build.
std::unique_ptr<ArpTableSource> CreateArpTableSource();
std::unique_ptr<AdapterSource> CreateAdapterSource();
std::unique_ptr<HostNameResolver> CreateHostNameResolver();
// The gateways of the default routes, preferred first.
std::vector<Ipv4> ReadDefaultGateways();

}  // namespace kestrove
