#pragma once

#include <optional>
#include <string>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

enum class AlarmKind { Change, Duplicate, Broadcast };

// What the watch engine knows about one alarm when it raises it.
struct AlarmFacts {
    AlarmKind kind = AlarmKind::Change;
    // Change: the address, its recorded MAC and the MAC just read.
    Ipv4 address = 0;
    MacAddress oldMac;
    MacAddress newMac;
    // Duplicate: the two `List2` lines; broadcast: the one line carrying an own MAC.
    std::string firstLine;
    std::string secondLine;
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
    // Likely causes of an alarm, one per line, or "".
    virtual std::string Explain(const AlarmFacts& facts) = 0;
};

}  // namespace kestrove
