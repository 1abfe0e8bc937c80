#include "netinfo/linux/DefaultRoute.h"

#include <net/route.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
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

}  // namespace

std::string DefaultRouteInterface(std::string_view routeTable) {
    std::string best;
    std::uint64_t bestMetric = std::numeric_limits<std::uint64_t>::max();
    while (!routeTable.empty()) {
        std::size_t newline = routeTable.find('\n');
        std::string_view line = routeTable.substr(0, newline);
        routeTable = newline == std::string_view::npos ? "" : routeTable.substr(newline + 1);
        std::array<std::string_view, kColumns> f;
        std::uint64_t destination = 0;
        std::uint64_t mask = 0;
        std::uint64_t flags = 0;
        std::uint64_t metric = 0;
        // The header line fails the number checks and drops out here.
        if (!SplitColumns(line, f) || !ParseNumber(f[kDestination], 16, destination) ||
            !ParseNumber(f[kMask], 16, mask) || !ParseNumber(f[kFlags], 16, flags) ||
            !ParseNumber(f[kMetric], 10, metric)) {
            continue;
        }
        if (destination == 0 && mask == 0 && (flags & RTF_UP) != 0 && metric < bestMetric) {
            best = f[kIface];
            bestMetric = metric;
        }
    }
    return best;
}

std::string ReadDefaultRouteInterface() {
    // /proc/net follows the process's first thread; thread-self follows the caller, which may
    // have entered another network namespace.
    std::ifstream file("/proc/thread-self/net/route");
    std::ostringstream text;
    text << file.rdbuf();
    return DefaultRouteInterface(text.str());
}

}  // namespace kestrove
