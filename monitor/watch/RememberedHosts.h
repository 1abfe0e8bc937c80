#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

struct RememberedHost {
    MacAddress mac;
    // Seconds since 1970, UTC.
    std::int64_t firstSeen = 0;
    std::int64_t lastSeen = 0;

    friend bool operator==(const RememberedHost&, const RememberedHost&) = default;
};

struct HostsTable {
    NetworkId network;
    std::unordered_map<Ipv4, RememberedHost> hosts;
};

// The hosts remembered across restarts, one table per network, and their file form
// "hosts.dat": a version line, then per network a "network" line followed by its "host" lines,
// fields split by one blank, lines ended by CR LF (a bare LF is read too):
//   kestrove-hosts 1
//   network 192.168.1.0 255.255.255.0 00-11-22-33-44-55
//   host 192.168.1.1 00-11-22-33-44-55 1700000000 1700000300
// A gateway not known is written "-". The address and MAC forms are the plain ones.
struct RememberedHosts {
    static constexpr std::string_view kVersionLine = "kestrove-hosts 1";
    // A /16 full of hosts; a file claiming more is not ours.
    static constexpr std::size_t kMaxHostsPerNetwork = 65536;
    static constexpr std::size_t kMaxNetworks = 64;
    static constexpr std::size_t kMaxFileBytes = 32u << 20;

    std::vector<HostsTable> tables;

    std::string Serialize() const;
    // Nothing when the text is damaged, of another version or beyond the limits: the caller
    // sets such a file aside whole rather than guess which part of it still holds.
    static std::optional<RememberedHosts> Parse(std::string_view text);
};

}  // namespace kestrove
