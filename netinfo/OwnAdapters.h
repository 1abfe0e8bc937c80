#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/SettingsStore.h"
#include "netinfo/AdapterSource.h"
#include "netinfo/Ipv4.h"

namespace kestrove {

// This computer's adapters: the own MACs the broadcast check compares against and the watched
// subnet that filters the ARP table. Filled at start-up and not refreshed while running.
class OwnAdapters {
public:
    static constexpr int kMaxAdapters = 6;

    explicit OwnAdapters(AdapterSource& source) : source_(source) {}

    // Fills `Adapters` and `OwnDescList`. Returns the highest adapter index as decimal text,
    // or "Not supported", "Invalid parameter", "No adapter", or "" for any other failure.
    std::string ReadAdapterList();

    // Reads the adapters and fills the lists and the watched subnet. With settings (the
    // monitor), the sections NIC0..NIC5 are rebuilt; without (the sweeper), nothing is written.
    void GetOwnAdapters(SettingsStore* settings);

    // Watched subnet test: every octet masked equal.
    bool InWatchedSubnet(Ipv4 address) const {
        return (address & WatchMask) == (WatchIP & WatchMask);
    }

    std::vector<AdapterRecord> Adapters;
    int AdapterMax = 0;
    std::array<std::string, kMaxAdapters> OwnDescList;
    std::array<std::string, kMaxAdapters> OwnMacList;
    std::array<std::string, kMaxAdapters> OwnIpList;
    std::array<std::string, kMaxAdapters> OwnMaskList;
    Ipv4 WatchIP = 0;
    Ipv4 WatchMask = 0;
    // The watched adapter's interface number (0 when unknown): the link whose IPv6 neighbours
    // and routers are watched.
    int WatchInterface = 0;

private:
    AdapterSource& source_;
};

}  // namespace kestrove
