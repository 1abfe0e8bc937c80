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
// hosts' history. Pure: every input is passed in.
class AlarmExplainer {
public:
    static constexpr std::chrono::minutes kUnseenLimit{10};

    explicit AlarmExplainer(const OuiRegistry& vendors) : vendors_(vendors) {}

    // One cause per element, in a fixed order; never empty.
    std::vector<std::string> Causes(const AlarmFacts& facts, const AlarmHistory& history) const;
    // The causes as one text, one per line.
    std::string Explain(const AlarmFacts& facts, const AlarmHistory& history) const;

private:
    void MacCauses(std::string_view side, const MacAddress& mac,
                   std::vector<std::string>& causes) const;
    void VendorCause(std::string_view side, const MacAddress& mac,
                     std::vector<std::string>& causes) const;

    const OuiRegistry& vendors_;
};

}  // namespace kestrove
