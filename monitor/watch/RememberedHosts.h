#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileBytes.h"
#include "monitor/watch/RememberedHostTable.h"
#include "netinfo/IpAddress.h"
#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// Which network a table of hosts belongs to: the watched subnet and the MAC its gateway had
// when the table was begun (empty when the network has no gateway or it was not yet seen).
struct NetworkId {
    Ipv4 subnet = 0;
    Ipv4 mask = 0;
    MacAddress gateway;

    friend bool operator==(const NetworkId&, const NetworkId&) = default;
};

struct KnownHost6 {
    MacAddress mac;
    std::int64_t firstSeen = 0;  // seconds since 1970, UTC
    std::int64_t lastSeen = 0;

    friend bool operator==(const KnownHost6&, const KnownHost6&) = default;
};

// What a network is known to hold beyond its IPv4 hosts. Only what the user accepted (by a
// clear) or what came without an alarm is in it: a MAC that raised an alarm stays out until
// then.
struct KnownNetwork {
    std::map<IpAddress, KnownHost6> hosts6;
    // IPv6 routers and the MAC each had (empty when not resolved).
    std::map<IpAddress, MacAddress> routers;
    // The default gateways of both families.
    std::set<IpAddress> gateways;

    bool Empty() const { return hosts6.empty() && routers.empty() && gateways.empty(); }
    friend bool operator==(const KnownNetwork&, const KnownNetwork&) = default;
};

struct HostsTable {
    NetworkId network;
    RememberedHostTable hosts;
    KnownNetwork beyondIpv4;
};

// The hosts remembered across restarts, one table per network, and their file form
// "hosts.dat": a version line, then per network a "network" line followed by its "host" lines
// and then the lines of what it holds beyond IPv4 (its default gateways, IPv6 routers and IPv6
// hosts), fields split by one blank, lines ended by CR LF (a bare LF is read too):
//   kestrove-hosts 1
//   network 192.168.1.0 255.255.255.0 00-11-22-33-44-55
//   host 192.168.1.1 00-11-22-33-44-55 1700000000 1700000300
//   gateway 192.168.1.1
//   router fe80::1 00-11-22-33-44-55
//   host6 fe80::1 00-11-22-33-44-55 1700000000 1700000300
// A gateway or router MAC not known is written "-". The address and MAC forms are the plain
// ones, IPv6 in the RFC 5952 form. A line of a kind this reader does not know (a lower-case
// word, a blank and more) is passed over, so a later version can add kinds.
struct RememberedHosts {
    static constexpr std::string_view kVersionLine = "kestrove-hosts 1";
    // A /16 full of hosts; a file claiming more is not ours.
    static constexpr std::size_t kMaxHostsPerNetwork = 65536;
    static constexpr std::size_t kMaxNetworks = 64;
    static constexpr std::size_t kMaxFileBytes = 32u << 20;

    std::vector<HostsTable> tables;

    std::string Serialize() const;
    // The same text for these tables, handed to `write` piece by piece. False when a piece was
    // refused.
    static bool Write(std::span<const HostsTable* const> tables, const ChunkWriter& write);
    // Nothing when the text is damaged, of another version or beyond the limits: the caller
    // sets such a file aside whole rather than guess which part of it still holds.
    static std::optional<RememberedHosts> Parse(std::string_view text);
};

}  // namespace kestrove
