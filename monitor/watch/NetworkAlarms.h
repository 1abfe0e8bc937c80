#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "common/Timer.h"
#include "monitor/watch/FirstHopCheck.h"
#include "monitor/watch/FlipTracker.h"
#include "monitor/watch/GatewayWatch.h"
#include "monitor/watch/NetworkWatch.h"
#include "monitor/watch/WatchEngine.h"
#include "netinfo/NetworkStateSource.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

// Turns what the watch of IPv6 neighbours, routers and gateways finds into alarms of the
// engine, as the switches `[Watch] IPv6`, `[Watch] Router` and `[Watch] FirstHop` say (read at
// the moment of use; absent means on), and checks the first hop when a gateway's MAC or the
// gateway itself changes.
class NetworkAlarms final : public GatewayWatch {
public:
    NetworkAlarms(WatchEngine& engine, SettingsStore& settings, const OwnAdapters& adapters,
                  const Clock& clock, TimerFactory& timers, FirstHopCheck* firstHop);
    NetworkAlarms(const NetworkAlarms&) = delete;
    NetworkAlarms& operator=(const NetworkAlarms&) = delete;

    // The tables as they stand and what earlier runs knew of this network (nothing: a network
    // never seen, learnt silently). The link is the watched adapter's.
    void Start(const NetworkSnapshot& snapshot, std::optional<KnownNetwork> known);
    // Reads what the source announces; lost notifications make a fresh read of the tables.
    // False once the notifications are gone for good.
    bool Hear(NetworkStateSource& source);
    // "クリア": what is there now becomes known; counted flips are summed up first.
    void Clear();
    // Before the end line: counted flips are summed up.
    void Finish() { TallyFlips(); }
    const KnownNetwork& Known() const { return watch_.Known(); }
    std::uint64_t KnownVersion() const { return watch_.KnownVersion(); }

    // At start: the remembered network's gateway had another MAC than the one seen now.
    void GatewayMacDiffers(Ipv4 gateway, const MacAddress& remembered, const MacAddress& seen);

    // GatewayWatch
    bool IsGateway(Ipv4 address) const override;
    std::optional<MacAddress> RouterIpv6Mac() const override { return watch_.RouterMac(); }
    void GatewayMacChanged(Ipv4 address, const MacAddress& from, const MacAddress& to,
                           const AlarmHandle& alarm) override;

private:
    void Raise(const NetworkFinding& finding);
    // Follows the adapter choice: the watched link is the watched adapter's.
    void FollowAdapter();
    bool SwitchOn(std::string_view key) const;
    // The gateway's IPv4 MAC as the neighbour table holds it now.
    std::optional<MacAddress> Ipv4GatewayMac() const;
    void CheckFirstHop(const IpAddress& gateway, const MacAddress& mac,
                       std::vector<IpAddress> gatewaysOwn, const AlarmHandle& alarm);

    void RaiseIpv6Change(const Ipv6MacChange& change);
    void RaiseFlipSummary(const Ipv6FlipTracker::Tally& tally);
    void TallyFlips();

    WatchEngine& engine_;
    SettingsStore& settings_;
    const OwnAdapters& adapters_;
    FirstHopCheck* firstHop_;
    int link_ = -1;
    NetworkWatch watch_;
    // IPv6 addresses flipping between two MACs are bounded as the IPv4 ones are.
    Ipv6FlipTracker flips_;
    std::unique_ptr<Timer> tally_;
    const Clock& clock_;
    std::vector<NetworkChange> changes_;
};

}  // namespace kestrove
