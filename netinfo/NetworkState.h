#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "netinfo/IpAddress.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// What the kernel tells of IPv6 neighbours, routes, this computer's own IPv6 addresses and the
// options of router advertisements, beside the IPv4 neighbour table of ArpTableSource.

// One entry of the IPv6 neighbour table.
struct Neighbour6 {
    IpAddress address;
    MacAddress mac;  // empty while unresolved
    int interfaceIndex = 0;
    std::uint16_t state = 0;  // NUD_* bits
    bool router = false;      // the neighbour said it is a router
    bool removed = false;     // gone from the table (a notification only)

    friend bool operator==(const Neighbour6&, const Neighbour6&) = default;
};

// Where a route came from.
enum class RouteOrigin : std::uint8_t { Other, Kernel, Boot, Static, RouterAdvertisement, Dhcp };

// Router preference of an IPv6 default route (RFC 4191).
enum class RouterPreference : std::uint8_t { None, Low, Medium, High };

// One route of the main table that matters for the watch: a default route of either family,
// or an IPv6 route a router advertisement brought (its prefixes and more specific routes).
struct Route {
    IpAddress destination;  // the network (unspecified for a default route)
    std::uint8_t prefixLength = 0;
    IpAddress gateway;  // no family: on-link
    int interfaceIndex = 0;
    std::uint32_t metric = 0;
    RouteOrigin origin = RouteOrigin::Other;
    RouterPreference preference = RouterPreference::None;
    bool removed = false;
    // Took the place of the route of the same destination and metric (NLM_F_REPLACE).
    bool replaces = false;

    bool IsDefault() const { return prefixLength == 0; }
    friend bool operator==(const Route&, const Route&) = default;
};

// One of this computer's IPv6 addresses.
struct OwnAddress {
    IpAddress address;
    std::uint8_t prefixLength = 0;
    int interfaceIndex = 0;
    bool tentative = false;  // duplicate address detection still runs
    bool dadFailed = false;  // another host answered for it
    bool removed = false;

    friend bool operator==(const OwnAddress&, const OwnAddress&) = default;
};

// What a router advertisement carried beyond what the kernel acts on itself.
struct RouterOptions {
    IpAddress router;  // the advertisement's sender
    int interfaceIndex = 0;
    std::vector<IpAddress> dnsServers;  // RDNSS

    friend bool operator==(const RouterOptions&, const RouterOptions&) = default;
};

// A prefix a router advertised (the kernel names no router for it).
struct AdvertisedPrefix {
    IpAddress prefix;
    std::uint8_t prefixLength = 0;
    int interfaceIndex = 0;

    friend bool operator==(const AdvertisedPrefix&, const AdvertisedPrefix&) = default;
};

using NetworkChange = std::variant<Neighbour6, Route, OwnAddress, RouterOptions, AdvertisedPrefix>;

// The tables as they stand: IPv6 neighbours, the routes above, the own IPv6 addresses.
struct NetworkSnapshot {
    std::vector<Neighbour6> neighbours;
    std::vector<Route> routes;
    std::vector<OwnAddress> addresses;
};

}  // namespace kestrove
