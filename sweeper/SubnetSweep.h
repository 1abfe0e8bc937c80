#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "common/Timer.h"
#include "netinfo/Ipv4.h"
#include "sweeper/Prober.h"

namespace kestrove {

// The sweeper's pacing: one address per second, a sweep over all addresses, one second's pause,
// the next sweep. A sweep is a sequence of timer ticks rather than a loop, so the program stays
// free to handle its end signal at any moment.
class SubnetSweep {
public:
    static constexpr std::chrono::milliseconds kInterval{1000};

    SubnetSweep(TimerFactory& timers, Prober& prober, std::vector<Ipv4> addresses);
    SubnetSweep(const SubnetSweep&) = delete;
    SubnetSweep& operator=(const SubnetSweep&) = delete;

    // Arms the sweep timer: the first sweep begins one interval later.
    void Start();
    bool Sweeping() const { return sweeping_; }

private:
    void timPingAll_Timer();
    void timWinsockWait_Timer();
    // Probes addresses from next_ on until one attempt is under way (then waits one interval)
    // or the list is done (then the pause before the next sweep begins).
    void ProbeNext();

    Prober& prober_;
    std::vector<Ipv4> addresses_;
    std::unique_ptr<Timer> timPingAll_;
    std::unique_ptr<Timer> timWinsockWait_;
    std::size_t next_ = 0;
    bool sweeping_ = false;
};

}  // namespace kestrove
