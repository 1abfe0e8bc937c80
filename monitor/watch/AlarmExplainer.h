#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/OuiRegistry.h"

namespace kestrove {

// What the host memory adds to an alarm's facts.
struct AlarmHistory {
    // Change: how long the old MAC had not been seen at that address when it changed.
    std::optional<std::chrono::seconds> oldUnseenFor;
    // Change: the address had the new MAC until it changed to the old one within a minute.
    bool flipBack = false;
    // Change: other addresses holding the new MAC in this run.
    std::size_t otherAddresses = 0;
    // Change: how long this run has watched; an absence it did not watch proves nothing.
    std::chrono::seconds watchedFor{0};
    // Change: other addresses holding the old MAC in this run.
    std::size_t oldElsewhere = 0;
};

// Works out the likely causes of an alarm from the MACs themselves, their makers and the
// hosts' history. Pure: every input is passed in. An attacker chooses the MAC it sends, so
// what a MAC says is stated as a fact about the address, never as a harmless cause; a change
// is called possibly harmless only on evidence the same frames cannot forge (the old MAC gone
// from every entry for long while the monitor watched), and poisoning is never excluded.
class AlarmExplainer {
public:
    static constexpr std::chrono::minutes kUnseenLimit{10};

    explicit AlarmExplainer(const OuiRegistry& vendors) : vendors_(vendors) {}

    // One cause per element, in a fixed order; never empty.
    std::vector<std::string> Causes(const AlarmFacts& facts, const AlarmHistory& history) const;
    // The causes as one text, one per line.
    std::string Explain(const AlarmFacts& facts, const AlarmHistory& history) const;

private:
    // The facts one MAC gives: its reserved block, or its maker.
    void MacFacts(std::string_view side, const MacAddress& mac,
                  std::vector<std::string>& causes) const;

    const OuiRegistry& vendors_;
};

// The MAC and address of a `List2` line ("00-11-22-33-44-55 (192.168.  1.  1)").
bool ParseHistoryLine(std::string_view line, MacAddress& mac, Ipv4& address);

}  // namespace kestrove
