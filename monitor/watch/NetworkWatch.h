#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <variant>
#include <vector>

#include "common/Clock.h"
#include "common/Timer.h"
#include "monitor/watch/RememberedHosts.h"
#include "netinfo/NetworkState.h"

namespace kestrove {

// What the watch of IPv6 neighbours, routers and default gateways finds.

// A known IPv6 address of the watched link answers with another MAC.
struct Ipv6MacChange {
    IpAddress address;
    MacAddress from;
    MacAddress to;
    bool router = false;  // the address is a router's
};

// This computer's own MAC shows up for another IPv6 address.
struct Ipv6OwnMacSeen {
    IpAddress address;
    MacAddress mac;
};

// A router this network did not know advertises itself.
struct RouterAppeared {
    IpAddress router;
    MacAddress mac;  // empty while its neighbour entry is not resolved
    RouterPreference preference = RouterPreference::None;
    std::vector<AdvertisedPrefix> prefixes;  // heard on the link while it appeared
    std::vector<IpAddress> dnsServers;       // announced by it
};

// The default gateway of a family is not what it was.
struct GatewayChange {
    enum class Kind {
        NextHop,       // another gateway took the place of the known one
        Interface,     // the same gateway, through another interface
        Added,         // a further default route beside the known one
        Removed,       // the default route went while its gateway still answers
        SinceLastRun,  // at start: not the gateway this network had
    };
    Kind kind = Kind::NextHop;
    IpAddress::Family family = IpAddress::Family::V4;
    std::vector<IpAddress> before;
    std::vector<IpAddress> after;
};

// Another host answered the duplicate address detection of one of this computer's addresses.
struct DadFailure {
    IpAddress address;
};

using NetworkFinding =
    std::variant<Ipv6MacChange, Ipv6OwnMacSeen, RouterAppeared, GatewayChange, DadFailure>;

// Watches the IPv6 neighbours of one link, the IPv6 routers that advertise on it, the default
// gateways of both families and this computer's IPv6 addresses, and tells what is new or
// changed. It follows every change whatever the settings say (as the IPv4 watch takes every
// new MAC), so turning a switch on later reports nothing stale; the caller decides which
// findings become alarms.
class NetworkWatch {
public:
    using Report = std::function<void(const NetworkFinding&)>;
    // Whether an IPv4 or IPv6 gateway still answers (its neighbour entry is resolved).
    using Reachable = std::function<bool(const IpAddress&)>;

    // A host seen again moves its last sight in the memory only this often.
    static constexpr std::chrono::seconds kLastSeenStep{60};
    // Beyond any real link: more routers or IPv6 neighbours than this are an attacker's flood,
    // and the rest of it is not followed.
    static constexpr std::size_t kMaxRouters = 256;
    static constexpr std::size_t kMaxNeighbours = 65536;
    // Prefixes and DNS servers of a new router come within this time of its first sign.
    static constexpr std::chrono::milliseconds kRouterWindow{500};
    // A default route removed and put back within this time (a lease renewed) is no change.
    static constexpr std::chrono::milliseconds kGatewayGrace{3000};

    NetworkWatch(const Clock& clock, TimerFactory& timers, Report report, Reachable reachable);
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;

    // The link to watch and this computer's MACs.
    void SetLink(int interfaceIndex, std::vector<MacAddress> ownMacs);

    // At start: the tables as they stand and what earlier runs knew of this network; nothing
    // for a network never seen, whose routers, gateways and hosts are then learnt silently.
    void Start(const NetworkSnapshot& snapshot, std::optional<KnownNetwork> known);
    void Hear(const NetworkChange& change);
    // After lost notifications: the tables as they stand now, taken like heard changes.
    void Resync(const NetworkSnapshot& snapshot);
    // "クリア": what is there now becomes known, and alarms given once may come again.
    void Clear();

    // What is to be remembered of this network, and a count that moves when it changes.
    const KnownNetwork& Known() const { return known_; }
    std::uint64_t KnownVersion() const { return knownVersion_; }
    // The MAC of each router of the link as the neighbour table has it now.
    std::optional<MacAddress> RouterMac() const;
    // The default gateways in use now, of both families.
    std::vector<IpAddress> Gateways() const;

private:
    struct PendingRouter {
        RouterAppeared finding;
        TimePoint since;
    };
    struct DefaultRoute {
        IpAddress gateway;
        int interfaceIndex = 0;
        std::uint32_t metric = 0;
        friend bool operator==(const DefaultRoute&, const DefaultRoute&) = default;
    };

    void HearNeighbour(const Neighbour6& n, bool atStart);
    void HearRoute(const Route& r, bool atStart);
    void HearAddress(const OwnAddress& a);
    void HearOptions(const RouterOptions& o);
    void HearPrefix(const AdvertisedPrefix& p);
    void NoteRouter(const IpAddress& address, RouterPreference preference, bool atStart);
    void FlushRouters();
    void HearDefault(const Route& r, bool atStart);
    void SettleGateways();
    void CompareWithLastRun();
    std::vector<IpAddress> GatewaysOf(IpAddress::Family family) const;
    bool IsOwnMac(const MacAddress& mac) const;
    void NoteSeen(KnownHost6& host, std::int64_t now);
    std::int64_t NowSeconds() const;

    const Clock& clock_;
    Report report_;
    Reachable reachable_;
    std::unique_ptr<Timer> routerTimer_;
    std::unique_ptr<Timer> gatewayTimer_;

    int interface_ = 0;
    std::vector<MacAddress> ownMacs_;
    bool learning_ = false;  // a network never seen: nothing is new in it

    KnownNetwork known_;
    std::uint64_t knownVersion_ = 0;
    // This run's view: the MAC each address has now (an alarm's MAC included).
    std::map<IpAddress, MacAddress> current_;
    // IPv6 neighbours whose entry is resolved now (a gateway that still answers).
    std::set<IpAddress> resolved6_;
    // The routers of this run, with the MAC each had when it appeared.
    std::map<IpAddress, MacAddress> runRouters_;
    std::map<IpAddress, PendingRouter> pendingRouters_;
    std::vector<DefaultRoute> defaults_;
    // The default routes as they stood when the last gateway change settled.
    std::vector<DefaultRoute> settled_;
    std::set<IpAddress> ownAddresses_;
    // Every prefix heard on the link (and those of its own addresses): a new router is given
    // only prefixes first heard while it appears, not the ones the network already had.
    std::set<std::pair<IpAddress, std::uint8_t>> heardPrefixes_;
    std::set<IpAddress> ownMacReported_;
    std::set<IpAddress> dadReported_;
};

}  // namespace kestrove
