#include "monitor/watch/RememberedHosts.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace kestrove {
namespace {

constexpr std::string_view kNetworkWord = "network";
constexpr std::string_view kHostWord = "host";
constexpr std::string_view kNoGateway = "-";
constexpr std::string_view kGatewayWord = "gateway";
constexpr std::string_view kRouterWord = "router";
constexpr std::string_view kHost6Word = "host6";

// A line of a kind written by a later version: a lower-case word (digits and "-" allowed)
// before a blank. Anything else that is not a known kind is damage.
bool IsLaterKind(std::string_view line) {
    std::size_t blank = line.find(' ');
    if (blank == 0 || blank == std::string_view::npos) {
        return false;
    }
    return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(blank), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

bool ParseIpv6(std::string_view text, IpAddress& address) {
    // Only the canonical form is read, so every address has one way to be written.
    return ParseIp(text, address) && address.IsV6() && FormatIp(address) == text;
}

bool ParseAnyIp(std::string_view text, IpAddress& address) {
    return ParseIp(text, address) && FormatIp(address) == text;
}

// Splits at single blanks into exactly `count` non-empty fields.
bool SplitFields(std::string_view line, std::size_t count, std::vector<std::string_view>& fields) {
    fields.clear();
    while (fields.size() < count) {
        std::size_t blank = line.find(' ');
        std::string_view field = line.substr(0, blank);
        if (field.empty()) {
            return false;
        }
        fields.push_back(field);
        if (blank == std::string_view::npos) {
            return fields.size() == count;
        }
        line.remove_prefix(blank + 1);
    }
    return false;  // more fields than expected
}

bool ParseSeconds(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 18 || text.front() == '-' || text.front() == '+') {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

bool ParseHostMac(std::string_view text, MacAddress& mac) {
    return ParseMac(text, mac) && !mac.IsUnresolved();
}

}  // namespace

std::string RememberedHosts::Serialize() const {
    std::vector<const HostsTable*> all;
    all.reserve(tables.size());
    for (const HostsTable& t : tables) {
        all.push_back(&t);
    }
    std::string out;
    Write(all, [&out](std::string_view piece) {
        out += piece;
        return true;
    });
    return out;
}

bool RememberedHosts::Write(std::span<const HostsTable* const> tables, const ChunkWriter& write) {
    // The text goes out in pieces of about this size: a table of 65,536 hosts is 4 MB of text,
    // which would stay in the process's memory after each save.
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out;
    out.reserve(kPiece + 256);
    auto flushIfFull = [&]() {
        if (out.size() < kPiece) {
            return true;
        }
        bool ok = write(out);
        out.clear();
        return ok;
    };
    out += kVersionLine;
    out += "\r\n";
    for (const HostsTable* table : tables) {
        const HostsTable& t = *table;
        out += kNetworkWord;
        out += ' ';
        out += FormatDotted(t.network.subnet);
        out += ' ';
        out += FormatDotted(t.network.mask);
        out += ' ';
        out +=
            t.network.gateway.length == 0 ? std::string(kNoGateway) : FormatMac(t.network.gateway);
        out += "\r\n";
        // The table is in address order, so two saves of the same table give the same file.
        for (const RememberedHost& host : t.hosts) {
            out += kHostWord;
            out += ' ';
            out += FormatDotted(host.address);
            out += ' ';
            out += FormatMac(host.mac);
            out += ' ';
            out += std::to_string(std::int64_t{host.firstSeen});
            out += ' ';
            out += std::to_string(std::int64_t{host.lastSeen});
            out += "\r\n";
            if (!flushIfFull()) {
                return false;
            }
        }
        const KnownNetwork& beyond = t.beyondIpv4;
        for (const IpAddress& gateway : beyond.gateways) {
            out += kGatewayWord;
            out += ' ';
            out += FormatIp(gateway);
            out += "\r\n";
        }
        for (const auto& [router, mac] : beyond.routers) {
            out += kRouterWord;
            out += ' ';
            out += FormatIp(router);
            out += ' ';
            out += mac.length == 0 ? std::string(kNoGateway) : FormatMac(mac);
            out += "\r\n";
            if (!flushIfFull()) {
                return false;
            }
        }
        for (const auto& [address, host] : beyond.hosts6) {
            out += kHost6Word;
            out += ' ';
            out += FormatIp(address);
            out += ' ';
            out += FormatMac(host.mac);
            out += ' ';
            out += std::to_string(host.firstSeen);
            out += ' ';
            out += std::to_string(host.lastSeen);
            out += "\r\n";
            if (!flushIfFull()) {
                return false;
            }
        }
    }
    return out.empty() || write(out);
}

std::optional<RememberedHosts> RememberedHosts::Parse(std::string_view text) {
    if (text.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    RememberedHosts result;
    std::vector<std::string_view> f;
    // The host lines of the last network, taken into its table once it ends.
    std::vector<RememberedHost> hosts;
    auto endTable = [&]() {
        if (result.tables.empty()) {
            return true;
        }
        RememberedHostTable& table = result.tables.back().hosts;
        table.Assign(std::exchange(hosts, {}));
        return table.Size() <= kMaxHostsPerNetwork;
    };
    bool versionSeen = false;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            return std::nullopt;  // a cut last line: the file was not written whole
        }
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!versionSeen) {
            if (line != kVersionLine) {
                return std::nullopt;
            }
            versionSeen = true;
            continue;
        }
        if (line.starts_with("network ")) {
            NetworkId id;
            if (result.tables.size() >= kMaxNetworks || !SplitFields(line, 4, f) ||
                !ParseDotted(f[1], id.subnet) || !ParseDotted(f[2], id.mask) ||
                (f[3] != kNoGateway && !ParseHostMac(f[3], id.gateway)) || !endTable()) {
                return std::nullopt;
            }
            result.tables.push_back(HostsTable{id, {}, {}});
        } else if (line.starts_with("host ")) {
            RememberedHost host;
            std::int64_t firstSeen = 0;
            std::int64_t lastSeen = 0;
            if (result.tables.empty() || !SplitFields(line, 5, f) ||
                !ParseDotted(f[1], host.address) ||
                !ParseHostMac(f[2], host.mac) || !ParseSeconds(f[3], firstSeen) ||
                !ParseSeconds(f[4], lastSeen)) {
                return std::nullopt;
            }
            host.firstSeen = firstSeen;
            host.lastSeen = lastSeen;
            hosts.push_back(host);
        } else if (line.starts_with("gateway ")) {
            IpAddress gateway;
            if (result.tables.empty() || !SplitFields(line, 2, f) || !ParseAnyIp(f[1], gateway)) {
                return std::nullopt;
            }
            result.tables.back().beyondIpv4.gateways.insert(gateway);
        } else if (line.starts_with("router ")) {
            IpAddress router;
            MacAddress mac;
            if (result.tables.empty() || !SplitFields(line, 3, f) || !ParseIpv6(f[1], router) ||
                (f[2] != kNoGateway && !ParseHostMac(f[2], mac))) {
                return std::nullopt;
            }
            result.tables.back().beyondIpv4.routers[router] = mac;
        } else if (line.starts_with("host6 ")) {
            IpAddress address;
            KnownHost6 host;
            if (result.tables.empty() || !SplitFields(line, 5, f) || !ParseIpv6(f[1], address) ||
                !ParseHostMac(f[2], host.mac) || !ParseSeconds(f[3], host.firstSeen) ||
                !ParseSeconds(f[4], host.lastSeen)) {
                return std::nullopt;
            }
            auto& hosts6 = result.tables.back().beyondIpv4.hosts6;
            if (hosts6.size() >= kMaxHostsPerNetwork && !hosts6.contains(address)) {
                return std::nullopt;
            }
            hosts6[address] = host;
        } else if (!IsLaterKind(line)) {
            return std::nullopt;
        }
    }
    if (!versionSeen || !endTable()) {
        return std::nullopt;
    }
    return result;
}

}  // namespace kestrove
