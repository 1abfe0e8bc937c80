#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

// FlipSummary: the changes of one address flipping between the same two MACs that were counted
// rather than logged one by one. The kinds after it are the IPv6, router and gateway alarms,
// whose detail is made when they are raised (they are few); FirstHop is the evidence line that
// follows a gateway's alarm.
enum class AlarmKind : std::uint8_t {
    Change,
    Duplicate,
    Broadcast,
    FlipSummary,
    Ipv6Change,
    Ipv6FlipSummary,
    Ipv6Broadcast,
    Router,
    Gateway,
    GatewayMac,
    AddressConflict,
    FirstHop,
};

constexpr bool IsNetworkAlarm(AlarmKind kind) {
    return kind >= AlarmKind::Ipv6Change;
}

// What the watch engine knows about one alarm when it raises it.
struct AlarmFacts {
    AlarmKind kind = AlarmKind::Change;
    // Change and flip summary: the address. Duplicate: the first listed host's address;
    // broadcast: the address showing this computer's MAC.
    Ipv4 address = 0;
    // Duplicate: the second listed host's address.
    Ipv4 otherAddress = 0;
    // Change: the recorded MAC. Flip summary: the MAC the address flipped from last.
    MacAddress oldMac;
    // Change: the MAC just read. Flip summary: the MAC it holds now. Duplicate and broadcast:
    // the MAC the hosts were listed with.
    MacAddress newMac;
};

// What the engine's history adds to a change alarm's facts, taken when it is raised.
struct AlarmHistory {
    // How long the old MAC had not been seen at that address when it changed.
    std::optional<std::chrono::seconds> oldUnseenFor;
    // The address had the new MAC until it changed to the old one within a minute.
    bool flipBack = false;
    // Other addresses hold the old MAC now: its host is still there.
    bool oldHeldElsewhere = false;
    // Other addresses holding the new MAC now.
    std::size_t otherAddresses = 0;
    // The address is the default gateway's, or an IPv6 router's.
    bool gateway = false;
    // The gateway's MAC in the other family (its IPv6 router entry for an IPv4 alarm, its IPv4
    // entry for an IPv6 one): a second witness the forger of one family rarely forged too.
    std::optional<MacAddress> otherFamilyMac;
};

// The watch engine's memory beyond one run, and what explains its alarms. Optional: without
// it the engine works as it always did.
class AlarmMemory {
public:
    virtual ~AlarmMemory() = default;
    // At a host's first sight in this run: the MAC remembered for it from an earlier run.
    virtual std::optional<MacAddress> Remembered(Ipv4 address) = 0;
    // After every scan: the in-subnet rows it read.
    virtual void Seen(const std::vector<ArpEntry>& rows) = 0;
    // How long this run watched `address` without seeing it with `mac`; nothing when it is not
    // remembered with that MAC. Time the monitor was not running is not counted: an absence
    // nobody watched proves nothing.
    virtual std::optional<std::chrono::seconds> UnseenFor(Ipv4 address,
                                                          const MacAddress& mac) const = 0;
    // `address` answers with `mac` from now on (heard at once, before the next scan's rows).
    virtual void NoteChange(Ipv4 address, const MacAddress& mac) = 0;
    // Likely causes of an alarm, one per line, or "". Made when the alarm is shown.
    virtual std::string Explain(const AlarmFacts& facts, const AlarmHistory& history) const = 0;
};

}  // namespace kestrove
