#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/Clock.h"
#include "common/MonitorThread.h"
#include "netinfo/FirstHopProber.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// Asks who really is the first hop after a gateway's MAC changed: one probe at a time, at most
// one a second, on a thread of its own, so the watch never waits for an answer (or for the
// silence of an attacker that swallows the probe). The answer comes back on the monitor's
// thread.
class FirstHopCheck {
public:
    using Done = std::function<void(const FirstHopAnswer&)>;
    static constexpr std::chrono::seconds kMinInterval{1};
    static constexpr std::chrono::milliseconds kWait{1000};

    // Without a prober (a platform without one) no probe is ever sent.
    FirstHopCheck(FirstHopProber* prober, const Clock& clock, PostToMonitorThread post);
    ~FirstHopCheck();
    FirstHopCheck(const FirstHopCheck&) = delete;
    FirstHopCheck& operator=(const FirstHopCheck&) = delete;

    // Starts a probe towards the documentation address of `family`. False, and nothing sent,
    // while a probe runs, within a second of the last one, or after Stop().
    bool Request(IpAddress::Family family, Done done);
    // For the program's end: waits for the probe under way (at most kWait); no answer comes
    // after this.
    void Stop();

private:
    void Work();

    FirstHopProber* prober_;
    const Clock& clock_;
    PostToMonitorThread post_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::optional<TimePoint> last_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<IpAddress::Family> job_;
    Done done_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

// The details of the first-hop log line for a probe sent through `gateway` (whose MAC the
// neighbour table held): who answered, and what that means. `gatewaysOwn` are further
// addresses known to be the gateway's (an IPv6 router answers from its global address, not
// from the link-local one it advertises). "" when nothing could be sent.
std::string DescribeFirstHop(const IpAddress& gateway, const MacAddress& mac,
                             const std::vector<IpAddress>& gatewaysOwn,
                             const FirstHopAnswer& answer);

}  // namespace kestrove
