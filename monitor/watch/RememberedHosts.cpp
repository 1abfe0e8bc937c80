#include "monitor/watch/RememberedHosts.h"

#include <algorithm>
#include <charconv>

namespace kestrove {
namespace {

constexpr std::string_view kNetworkWord = "network";
constexpr std::string_view kHostWord = "host";
constexpr std::string_view kNoGateway = "-";

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
    std::string out;
    std::size_t hostCount = 0;
    for (const HostsTable& t : tables) {
        hostCount += t.hosts.size();
    }
    out.reserve(32 + tables.size() * 64 + hostCount * 64);
    out += kVersionLine;
    out += "\r\n";
    std::vector<std::pair<Ipv4, const RememberedHost*>> sorted;
    for (const HostsTable& t : tables) {
        out += kNetworkWord;
        out += ' ';
        out += FormatDotted(t.network.subnet);
        out += ' ';
        out += FormatDotted(t.network.mask);
        out += ' ';
        out +=
            t.network.gateway.length == 0 ? std::string(kNoGateway) : FormatMac(t.network.gateway);
        out += "\r\n";
        // In address order, so two saves of the same table give the same file.
        sorted.clear();
        for (const auto& [address, host] : t.hosts) {
            sorted.emplace_back(address, &host);
        }
        std::sort(sorted.begin(), sorted.end());
        for (const auto& [address, host] : sorted) {
            out += kHostWord;
            out += ' ';
            out += FormatDotted(address);
            out += ' ';
            out += FormatMac(host->mac);
            out += ' ';
            out += std::to_string(host->firstSeen);
            out += ' ';
            out += std::to_string(host->lastSeen);
            out += "\r\n";
        }
    }
    return out;
}

std::optional<RememberedHosts> RememberedHosts::Parse(std::string_view text) {
    if (text.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    RememberedHosts result;
    std::vector<std::string_view> f;
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
                (f[3] != kNoGateway && !ParseHostMac(f[3], id.gateway))) {
                return std::nullopt;
            }
            result.tables.push_back(HostsTable{id, {}});
        } else if (line.starts_with("host ")) {
            Ipv4 address = 0;
            RememberedHost host;
            if (result.tables.empty() || !SplitFields(line, 5, f) || !ParseDotted(f[1], address) ||
                !ParseHostMac(f[2], host.mac) || !ParseSeconds(f[3], host.firstSeen) ||
                !ParseSeconds(f[4], host.lastSeen)) {
                return std::nullopt;
            }
            auto& hosts = result.tables.back().hosts;
            if (hosts.size() >= kMaxHostsPerNetwork && !hosts.contains(address)) {
                return std::nullopt;
            }
            hosts[address] = host;
        } else {
            return std::nullopt;
        }
    }
    if (!versionSeen) {
        return std::nullopt;
    }
    return result;
}

}  // namespace kestrove
