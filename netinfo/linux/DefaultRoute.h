#pragma once

#include <string>
#include <string_view>

namespace kestrove {

// The interface of the IPv4 default route in the text of /proc/net/route: among the routes
// that are up with destination and mask 0, the one of lowest metric. "" when there is none.
std::string DefaultRouteInterface(std::string_view routeTable);

// The same for the network namespace of the calling thread.
std::string ReadDefaultRouteInterface();

}  // namespace kestrove
