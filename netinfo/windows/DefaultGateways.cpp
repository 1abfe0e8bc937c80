#include "netinfo/windows/DefaultGateways.h"

#include <algorithm>
#include <memory>

namespace kestrove {

std::vector<Ipv4> DefaultGateways(const MIB_IPFORWARDTABLE& table) {
    std::vector<const MIB_IPFORWARDROW*> routes;
    for (DWORD i = 0; i < table.dwNumEntries; ++i) {
        const MIB_IPFORWARDROW& row = table.table[i];
        if (row.dwForwardDest == 0 && row.dwForwardMask == 0 && row.dwForwardNextHop != 0) {
            routes.push_back(&row);
        }
    }
    std::stable_sort(routes.begin(), routes.end(), [](const auto* a, const auto* b) {
        return a->dwForwardMetric1 < b->dwForwardMetric1;
    });
    std::vector<Ipv4> gateways;
    for (const MIB_IPFORWARDROW* row : routes) {
        Ipv4 gateway = ::ntohl(row->dwForwardNextHop);
        if (std::find(gateways.begin(), gateways.end(), gateway) == gateways.end()) {
            gateways.push_back(gateway);
        }
    }
    return gateways;
}

std::vector<Ipv4> ReadIpForwardGateways() {
    // The table may grow between the size query and the read: asked again a few times.
    ULONG size = 0;
    std::unique_ptr<char[]> buffer;
    DWORD result = ::GetIpForwardTable(nullptr, &size, FALSE);
    for (int attempt = 0; attempt < 4 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer = std::make_unique<char[]>(size);
        result =
            ::GetIpForwardTable(reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.get()), &size, FALSE);
    }
    if (result != NO_ERROR || !buffer || size < sizeof(DWORD)) {
        return {};
    }
    auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.get());
    std::size_t rows = (size - offsetof(MIB_IPFORWARDTABLE, table)) / sizeof(MIB_IPFORWARDROW);
    if (table->dwNumEntries > rows) {
        return {};  // a count the buffer cannot hold is not read past the buffer's end
    }
    return DefaultGateways(*table);
}

}  // namespace kestrove
