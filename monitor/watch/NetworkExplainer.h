#pragma once

#include <string>

#include "monitor/watch/AlarmMemory.h"

namespace kestrove {

// What the IPv6, router and gateway alarms add to an explanation, one cause per line: the
// kind's own causes, and for an alarm about the gateway the comparison with its MAC in the
// other family. "" when there is nothing to add.
std::string NetworkCauses(const AlarmFacts& facts, const AlarmHistory& history);

// The addresses of router redundancy (VRRP 00-00-5E-00-01-xx, 00-00-5E-00-02-xx).
bool IsRouterRedundancyMac(const MacAddress& mac);

}  // namespace kestrove
