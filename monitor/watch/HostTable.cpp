#include "monitor/watch/HostTable.h"

#include <cstring>
#include <random>
#include <utility>

namespace kestrove {

static_assert(sizeof(MacAddress) == 9 && alignof(MacAddress) == 1);

HostTable::HostSlot::HostSlot(Ipv4 address, const MacAddress& m) : mac(m) {
    std::memcpy(addressBytes.data(), &address, sizeof address);
}

Ipv4 HostTable::HostSlot::Address() const {
    Ipv4 address = 0;
    std::memcpy(&address, addressBytes.data(), sizeof address);
    return address;
}

HostTable::MacSlot::MacSlot(const MacAddress& m, std::uint32_t holders) : mac(m) {
    SetHolders(holders);
}

std::uint32_t HostTable::MacSlot::Holders() const {
    std::uint32_t holders = 0;
    std::memcpy(&holders, holderBytes.data(), sizeof holders);
    return holders;
}

void HostTable::MacSlot::SetHolders(std::uint32_t holders) {
    std::memcpy(holderBytes.data(), &holders, sizeof holders);
}

namespace {

constexpr std::size_t kFirstCapacity = 16;

// Fibonacci hashing spreads the addresses of a subnet, which differ in their low bits only.
// A 32-bit hash onto [0, size) by a multiply rather than a power-of-two mask, so the tables can
// grow by a quarter instead of doubling: at 65,536 hosts a doubled table would be half empty.
std::size_t Spread(std::uint64_t hash32, std::size_t size) {
    return static_cast<std::size_t>((hash32 * size) >> 32);
}

std::size_t Next(std::size_t i, std::size_t size) {
    return i + 1 == size ? 0 : i + 1;
}

std::size_t Home(Ipv4 address, std::size_t size) {
    return Spread((std::uint64_t{address} * 0x9E3779B97F4A7C15ull) >> 32, size);
}

// Chosen per run: the MACs come from the network, and a fixed hash would let a sender pick MACs
// that all land on one run of cells.
std::uint64_t MacSeed() {
    static const std::uint64_t seed = [] {
        std::random_device device;
        return std::uint64_t{device()} << 32 | device();
    }();
    return seed;
}

std::size_t Home(const MacAddress& mac, std::size_t size) {
    std::uint64_t v = mac.length ^ MacSeed();
    for (std::uint8_t b : mac.bytes) {
        v = (v << 8) ^ b ^ (v >> 56);
    }
    // splitmix64's finaliser: every byte of the MAC and of the seed moves every bit.
    v ^= v >> 30;
    v *= 0xBF58476D1CE4E5B9ull;
    v ^= v >> 27;
    v *= 0x94D049BB133111EBull;
    v ^= v >> 31;
    return Spread(v >> 32, size);
}

bool Free(const MacAddress& mac) {
    return mac.length == 0;
}

// Kept at most four fifths full: with the spread hashes a probe stays a few cells long.
template <typename S>
bool Full(const S& s) {
    return (s.count + 1) * 5 > s.cells.size() * 4;
}

// Puts `slot` into the first free cell from its home on.
template <typename Slot, typename HomeOf>
void Place(std::vector<Slot>& cells, const Slot& slot, HomeOf home) {
    const std::size_t size = cells.size();
    std::size_t i = home(slot, size);
    while (!Free(cells[i].mac)) {
        i = Next(i, size);
    }
    cells[i] = slot;
}

template <typename Slot, typename HomeOf>
void Grow(std::vector<Slot>& cells, HomeOf home) {
    std::vector<Slot> old =
        std::exchange(cells, std::vector<Slot>(cells.empty() ? kFirstCapacity
                                                             : cells.size() + cells.size() / 4));
    for (const Slot& slot : old) {
        if (!Free(slot.mac)) {
            Place(cells, slot, home);
        }
    }
}

constexpr auto kHostHome = [](const auto& slot, std::size_t size) {
    return Home(slot.Address(), size);
};
constexpr auto kMacHome = [](const auto& slot, std::size_t size) { return Home(slot.mac, size); };

}  // namespace

const MacAddress* HostTable::Find(Ipv4 address) const {
    const HostSlot* slot = const_cast<HostTable*>(this)->FindHost(address);
    return slot == nullptr ? nullptr : &slot->mac;
}

HostTable::HostSlot* HostTable::FindHost(Ipv4 address) {
    if (hosts_.cells.empty()) {
        return nullptr;
    }
    const std::size_t size = hosts_.cells.size();
    for (std::size_t i = Home(address, size);; i = Next(i, size)) {
        HostSlot& slot = hosts_.cells[i];
        if (Free(slot.mac)) {
            return nullptr;
        }
        if (slot.Address() == address) {
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
    const std::size_t size = macs_.cells.size();
    for (std::size_t i = Home(mac, size);; i = Next(i, size)) {
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
    return i < macs_.cells.size() ? macs_.cells[i].Holders() : 0;
}

void HostTable::AddHolder(const MacAddress& mac) {
    std::size_t found = FindMac(mac);
    if (found < macs_.cells.size()) {
        MacSlot& slot = macs_.cells[found];
        slot.SetHolders(slot.Holders() + 1);
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
    if (i >= macs_.cells.size()) {
        return;
    }
    if (std::uint32_t holders = macs_.cells[i].Holders(); holders > 1) {
        macs_.cells[i].SetHolders(holders - 1);
        return;
    }
    // Backward-shift deletion: no tombstones, so a flood of short-lived MACs cannot fill the
    // index with dead cells.
    const std::size_t size = macs_.cells.size();
    for (std::size_t j = Next(i, size); !Free(macs_.cells[j].mac); j = Next(j, size)) {
        std::size_t home = Home(macs_.cells[j].mac, size);
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
    static_assert(sizeof(HostSlot) == 13 && sizeof(MacSlot) == 13);
    return hosts_.cells.capacity() * sizeof(HostSlot) + macs_.cells.capacity() * sizeof(MacSlot);
}

}  // namespace kestrove
