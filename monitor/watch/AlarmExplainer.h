#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/OuiRegistry.h"

namespace kestrove {

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

}  // namespace kestrove
