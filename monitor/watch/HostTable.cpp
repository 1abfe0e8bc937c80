#include "monitor/watch/HostTable.h"

#include <utility>

namespace kestrove {
namespace {

constexpr std::size_t kFirstCapacity = 16;

// Fibonacci hashing spreads the addresses of a subnet, which differ in their low bits only.
std::size_t Home(Ipv4 address, std::size_t mask) {
    return static_cast<std::size_t>((std::uint64_t{address} * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

std::size_t Home(const MacAddress& mac, std::size_t mask) {
    std::uint64_t v = mac.length;
    for (std::uint8_t b : mac.bytes) {
        v = (v << 8) ^ b ^ (v >> 56);
    }
    // splitmix64's finaliser: every byte of the MAC moves the low bits.
    v ^= v >> 30;
    v *= 0xBF58476D1CE4E5B9ull;
    v ^= v >> 27;
    v *= 0x94D049BB133111EBull;
    v ^= v >> 31;
    return static_cast<std::size_t>(v) & mask;
}

bool Free(const MacAddress& mac) {
    return mac.length == 0;
}

// Kept at most three quarters full, so a probe stays short.
template <typename S>
bool Full(const S& s) {
    return (s.count + 1) * 4 > s.cells.size() * 3;
}

// Puts `slot` into the first free cell from its home on.
template <typename Slot, typename HomeOf>
void Place(std::vector<Slot>& cells, const Slot& slot, HomeOf home) {
    const std::size_t mask = cells.size() - 1;
    std::size_t i = home(slot, mask);
    while (!Free(cells[i].mac)) {
        i = (i + 1) & mask;
    }
    cells[i] = slot;
}

template <typename Slot, typename HomeOf>
void Grow(std::vector<Slot>& cells, HomeOf home) {
    std::vector<Slot> old =
        std::exchange(cells, std::vector<Slot>(cells.empty() ? kFirstCapacity : 2 * cells.size()));
    for (const Slot& slot : old) {
        if (!Free(slot.mac)) {
            Place(cells, slot, home);
        }
    }
}

constexpr auto kHostHome = [](const auto& slot, std::size_t mask) {
    return Home(slot.address, mask);
};
constexpr auto kMacHome = [](const auto& slot, std::size_t mask) { return Home(slot.mac, mask); };

}  // namespace

const MacAddress* HostTable::Find(Ipv4 address) const {
    const HostSlot* slot = const_cast<HostTable*>(this)->FindHost(address);
    return slot == nullptr ? nullptr : &slot->mac;
}

HostTable::HostSlot* HostTable::FindHost(Ipv4 address) {
    if (hosts_.cells.empty()) {
        return nullptr;
    }
    for (std::size_t i = Home(address, hosts_.Mask());; i = (i + 1) & hosts_.Mask()) {
        HostSlot& slot = hosts_.cells[i];
        if (Free(slot.mac)) {
            return nullptr;
        }
        if (slot.address == address) {
            return &slot;
        }
    }
}

void HostTable::Record(Ipv4 address, const MacAddress& mac) {
    if (Free(mac)) {
        return;  // never recorded: it would read as a free slot
    }
    if (HostSlot* known = FindHost(address)) {
        if (known->mac != mac) {
            RemoveHolder(known->mac);
            known->mac = mac;
            AddHolder(mac);
        }
        return;
    }
    if (hosts_.cells.empty() || Full(hosts_)) {
        Grow(hosts_.cells, kHostHome);
    }
    Place(hosts_.cells, HostSlot{address, mac}, kHostHome);
    ++hosts_.count;
    AddHolder(mac);
}

void HostTable::Clear() {
    hosts_ = {};
    macs_ = {};
}

std::size_t HostTable::FindMac(const MacAddress& mac) const {
    if (macs_.cells.empty()) {
        return 0;
    }
    for (std::size_t i = Home(mac, macs_.Mask());; i = (i + 1) & macs_.Mask()) {
        const MacSlot& slot = macs_.cells[i];
        if (Free(slot.mac)) {
            return macs_.cells.size();
        }
        if (slot.mac == mac) {
            return i;
        }
    }
}

std::size_t HostTable::Holders(const MacAddress& mac) const {
    std::size_t i = FindMac(mac);
    return i < macs_.cells.size() ? macs_.cells[i].holders : 0;
}

void HostTable::AddHolder(const MacAddress& mac) {
    std::size_t found = FindMac(mac);
    if (found < macs_.cells.size()) {
        ++macs_.cells[found].holders;
        return;
    }
    if (macs_.cells.empty() || Full(macs_)) {
        Grow(macs_.cells, kMacHome);
    }
    Place(macs_.cells, MacSlot{mac, 1}, kMacHome);
    ++macs_.count;
}

void HostTable::RemoveHolder(const MacAddress& mac) {
    std::size_t i = FindMac(mac);
    if (i >= macs_.cells.size() || --macs_.cells[i].holders > 0) {
        return;
    }
    // Backward-shift deletion: no tombstones, so a flood of short-lived MACs cannot fill the
    // index with dead cells.
    const std::size_t mask = macs_.Mask();
    for (std::size_t j = (i + 1) & mask; !Free(macs_.cells[j].mac); j = (j + 1) & mask) {
        std::size_t home = Home(macs_.cells[j].mac, mask);
        // Move slot j back into the hole unless its home lies cyclically in (i, j].
        bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (!stays) {
            macs_.cells[i] = macs_.cells[j];
            i = j;
        }
    }
    macs_.cells[i] = MacSlot{};
    --macs_.count;
}

std::size_t HostTable::Bytes() const {
    return hosts_.cells.capacity() * sizeof(HostSlot) + macs_.cells.capacity() * sizeof(MacSlot);
}

}  // namespace kestrove
