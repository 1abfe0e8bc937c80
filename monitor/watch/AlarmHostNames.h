#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

#include "common/Clock.h"
#include "netinfo/HostNameLookup.h"

namespace kestrove {

// Host names for change alarms: one lookup per alarm at most, answers kept for a while, and
// every lookup paid from one budget, at most kPerAlarm each and kPerMinute in all. A name
// server that answers slowly, by fault or on an attacker's purpose, can thus hold the watch
// for no longer than that; while less than one alarm's share is left, no lookup starts and the
// name is left empty. A lookup cut short at its share counts as no answer, which turns lookups
// off for the run as any empty answer does.
class AlarmHostNames {
public:
    static constexpr std::chrono::milliseconds kPerAlarm{200};
    static constexpr std::chrono::milliseconds kPerMinute{2000};
    static constexpr std::chrono::minutes kKeep{10};
    static constexpr std::size_t kMaxKept = 4096;

    AlarmHostNames(HostNameLookup& lookup, const Clock& clock);

    // The name of `address`, or "".
    std::string NameOf(Ipv4 address);
    // The budget left now.
    std::chrono::milliseconds Left();

private:
    void Forget(TimePoint now);

    HostNameLookup& lookup_;
    const Clock& clock_;
    std::chrono::duration<double, std::milli> left_{kPerMinute};
    TimePoint refilled_;
    std::unordered_map<Ipv4, std::string> names_;
    // Names in the order they were learnt, to forget them after kKeep.
    std::deque<std::pair<TimePoint, Ipv4>> learnt_;
};

}  // namespace kestrove
