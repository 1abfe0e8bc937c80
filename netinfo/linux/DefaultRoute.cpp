#include "netinfo/linux/DefaultRoute.h"

#include <arpa/inet.h>
#include <net/route.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace kestrove {
namespace {

// Columns of /proc/net/route.
enum Column { kIface, kDestination, kGateway, kFlags, kRefCnt, kUse, kMetric, kMask, kColumns };

bool ParseNumber(std::string_view text, int base, std::uint64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size();
}

// Splits a line at blanks and tabs into the first kColumns fields; false when it has fewer.
bool SplitColumns(std::string_view line, std::array<std::string_view, kColumns>& fields) {
    std::size_t n = 0;
    std::size_t pos = 0;
    while (n < kColumns) {
        pos = line.find_first_not_of(" \t", pos);
        if (pos == std::string_view::npos) {
            return false;
        }
        std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
        fields[n++] = line.substr(pos, end - pos);
        pos = end;
    }
    return true;
}

struct DefaultRoute {
    std::string_view iface;
    Ipv4 gateway = 0;
    std::uint64_t metric = 0;
};

// The routes that are up with destination and mask 0, in the table's order.
std::vector<DefaultRoute> DefaultRoutes(std::string_view routeTable) {
    std::vector<DefaultRoute> routes;
    while (!routeTable.empty()) {
        std::size_t newline = routeTable.find('\n');
        std::string_view line = routeTable.substr(0, newline);
        routeTable = newline == std::string_view::npos ? "" : routeTable.substr(newline + 1);
        std::array<std::string_view, kColumns> f;
        std::uint64_t destination = 0;
        std::uint64_t gateway = 0;
        std::uint64_t mask = 0;
        std::uint64_t flags = 0;
        std::uint64_t metric = 0;
        // The header line fails the number checks and drops out here.
        if (!SplitColumns(line, f) || !ParseNumber(f[kDestination], 16, destination) ||
            !ParseNumber(f[kMask], 16, mask) || !ParseNumber(f[kFlags], 16, flags) ||
            !ParseNumber(f[kMetric], 10, metric)) {
            continue;
        }
        if (destination == 0 && mask == 0 && (flags & RTF_UP) != 0) {
            // The kernel prints the gateway's network-order bytes as a host-order number.
            if (!ParseNumber(f[kGateway], 16, gateway) || gateway > 0xFFFFFFFFu) {
                gateway = 0;
            }
            routes.push_back({f[kIface], ntohl(static_cast<std::uint32_t>(gateway)), metric});
        }
    }
    std::stable_sort(
        routes.begin(), routes.end(),
        [](const DefaultRoute& a, const DefaultRoute& b) { return a.metric < b.metric; });
    return routes;
}

std::string ReadRouteTable() {
    // /proc/net follows the process's first thread; thread-self follows the caller, which may
    // have entered another network namespace.
    std::ifstream file("/proc/thread-self/net/route");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string DefaultRouteInterface(std::string_view routeTable) {
    std::vector<DefaultRoute> routes = DefaultRoutes(routeTable);
    return routes.empty() ? std::string() : std::string(routes.front().iface);
}

std::string ReadDefaultRouteInterface() {
    return DefaultRouteInterface(ReadRouteTable());
}

std::vector<Ipv4> DefaultRouteGateways(std::string_view routeTable) {
    std::vector<Ipv4> gateways;
    for (const DefaultRoute& route : DefaultRoutes(routeTable)) {
        if (route.gateway != 0) {
            gateways.push_back(route.gateway);
        }
    }
    return gateways;
}

std::vector<Ipv4> ReadDefaultRouteGateways() {
    return DefaultRouteGateways(ReadRouteTable());
}

}  // namespace kestrove
