#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <vector>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// The MAC last seen for every host of the watched subnet since the last clear, and how many of
// those hosts hold each MAC now. Both are flat open-addressed tables of byte-packed 13-byte
// cells (no node per host), so 65,536 hosts cost about 2.3 MiB however often their MACs
// change: a MAC that no host holds any more leaves the index at once.
class HostTable {
public:
    // The recorded MAC, or nullptr for a host never recorded. Valid until the next Record.
    const MacAddress* Find(Ipv4 address) const;
    // Records a new host or notes a changed MAC.
    void Record(Ipv4 address, const MacAddress& mac);
    void Clear();
    std::size_t Count() const { return hosts_.count; }
    // How many recorded hosts hold `mac` now.
    std::size_t Holders(const MacAddress& mac) const;
    // What the two tables take, for the benchmarks' per-host figures.
    std::size_t Bytes() const;

private:
    // Bytes only, so no cell is padded to a multiple of four.
    struct HostSlot {
        std::array<std::uint8_t, 4> addressBytes{};
        MacAddress mac;  // length 0: the slot is free (an empty MAC is never recorded)

        HostSlot() = default;
        HostSlot(Ipv4 address, const MacAddress& m);
        Ipv4 Address() const;
    };
    struct MacSlot {
        MacAddress mac;  // length 0: free
        // How many hosts hold it.
        std::array<std::uint8_t, 4> holderBytes{};

        MacSlot() = default;
        MacSlot(const MacAddress& m, std::uint32_t holders);
        std::uint32_t Holders() const;
        void SetHolders(std::uint32_t holders);
    };
    template <typename Slot>
    struct Slots {
        std::vector<Slot> cells;
        std::size_t count = 0;
    };

    HostSlot* FindHost(Ipv4 address);
    void AddHolder(const MacAddress& mac);
    void RemoveHolder(const MacAddress& mac);
    std::size_t FindMac(const MacAddress& mac) const;  // the slot, or the size when absent

    Slots<HostSlot> hosts_;
    Slots<MacSlot> macs_;
};

}  // namespace kestrove
