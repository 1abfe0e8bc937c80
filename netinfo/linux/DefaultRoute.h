#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "netinfo/Ipv4.h"

namespace kestrove {

// The interface of the IPv4 default route in the text of /proc/net/route: among the routes
// that are up with destination and mask 0, the one of lowest metric. "" when there is none.
std::string DefaultRouteInterface(std::string_view routeTable);

// The same for the network namespace of the calling thread.
std::string ReadDefaultRouteInterface();

// The gateways of the default routes that are up, lowest metric first.
std::vector<Ipv4> DefaultRouteGateways(std::string_view routeTable);
std::vector<Ipv4> ReadDefaultRouteGateways();

}  // namespace kestrove
