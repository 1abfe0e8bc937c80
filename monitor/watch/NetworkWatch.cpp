#include "monitor/watch/NetworkWatch.h"

#include <algorithm>

namespace kestrove {
namespace {

bool IsMulticast(const IpAddress& a) {
    return a.IsV6() && a.bytes[0] == 0xFF;
}

// The network part of an address: its first `length` bits.
IpAddress Masked(IpAddress a, std::uint8_t length) {
    for (std::size_t bit = length; bit < a.bytes.size() * 8; ++bit) {
        a.bytes[bit / 8] &= static_cast<std::uint8_t>(~(0x80u >> (bit % 8)));
    }
    return a;
}

bool Resolved(const MacAddress& mac) {
    return !mac.IsUnresolved();
}

// The routes whose gateway the gateway watch follows: every IPv4 default route, and the IPv6
// ones not learnt from router advertisements (those are the router watch's).
bool IsWatchedDefault(const Route& r) {
    return r.IsDefault() && r.gateway.family != IpAddress::Family::None &&
           !(r.gateway.IsV6() && r.origin == RouteOrigin::RouterAdvertisement);
}

template <class T>
bool Contains(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

NetworkWatch::NetworkWatch(const Clock& clock, TimerFactory& timers, Report report,
                           Reachable reachable)
    : clock_(clock),
      report_(std::move(report)),
      reachable_(std::move(reachable)),
      routerTimer_(timers.Create(kRouterWindow)),
      gatewayTimer_(timers.Create(kGatewayGrace)) {
    routerTimer_->SetHandler([this] {
        routerTimer_->Stop();
        FlushRouters();
    });
    gatewayTimer_->SetHandler([this] {
        gatewayTimer_->Stop();
        SettleGateways();
    });
}

void NetworkWatch::SetLink(int interfaceIndex, std::vector<MacAddress> ownMacs) {
    interface_ = interfaceIndex;
    ownMacs_ = std::move(ownMacs);
}

std::int64_t NetworkWatch::NowSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(clock_.Now().time_since_epoch())
        .count();
}

bool NetworkWatch::IsOwnMac(const MacAddress& mac) const {
    return Contains(ownMacs_, mac);
}

void NetworkWatch::Start(const NetworkSnapshot& snapshot, std::optional<KnownNetwork> known) {
    learning_ = !known.has_value();
    known_ = known ? std::move(*known) : KnownNetwork{};
    current_.clear();
    runRouters_.clear();
    pendingRouters_.clear();
    defaults_.clear();
    ownAddresses_.clear();
    heardPrefixes_.clear();
    ownMacReported_.clear();
    dadReported_.clear();
    for (const OwnAddress& a : snapshot.addresses) {
        HearAddress(a);
    }
    for (const Neighbour6& n : snapshot.neighbours) {
        HearNeighbour(n, true);
    }
    for (const Route& r : snapshot.routes) {
        HearRoute(r, true);
    }
    settled_ = defaults_;
    CompareWithLastRun();
    if (learning_) {
        // What a network shows at its first sight is what it is known by.
        for (const DefaultRoute& d : defaults_) {
            known_.gateways.insert(d.gateway);
        }
        learning_ = false;
    }
    ++knownVersion_;
}

void NetworkWatch::Resync(const NetworkSnapshot& snapshot) {
    for (const OwnAddress& a : snapshot.addresses) {
        HearAddress(a);
    }
    for (const Neighbour6& n : snapshot.neighbours) {
        HearNeighbour(n, false);
    }
    // Default routes that went while the notifications were lost go now.
    std::vector<DefaultRoute> now;
    for (const Route& r : snapshot.routes) {
        if (IsWatchedDefault(r)) {
            now.push_back({r.gateway, r.interfaceIndex, r.metric});
        } else if (r.IsDefault() && r.origin == RouteOrigin::RouterAdvertisement) {
            NoteRouter(r.gateway, r.preference, false);
        }
    }
    if (now != defaults_) {
        defaults_ = std::move(now);
        SettleGateways();
    }
}

void NetworkWatch::Hear(const NetworkChange& change) {
    std::visit(
        [this](const auto& item) {
            using T = std::decay_t<decltype(item)>;
            if constexpr (std::is_same_v<T, Neighbour6>) {
                HearNeighbour(item, false);
            } else if constexpr (std::is_same_v<T, Route>) {
                HearRoute(item, false);
            } else if constexpr (std::is_same_v<T, OwnAddress>) {
                HearAddress(item);
            } else if constexpr (std::is_same_v<T, RouterOptions>) {
                HearOptions(item);
            } else {
                HearPrefix(item);
            }
        },
        change);
}

void NetworkWatch::HearNeighbour(const Neighbour6& n, bool atStart) {
    if (n.interfaceIndex != interface_ || IsMulticast(n.address) || n.address.IsUnspecified()) {
        return;
    }
    if (n.removed || !Resolved(n.mac)) {
        resolved6_.erase(n.address);
        return;
    }
    resolved6_.insert(n.address);
    if (n.router) {
        NoteRouter(n.address, RouterPreference::None, atStart);
    }
    if (auto pending = pendingRouters_.find(n.address); pending != pendingRouters_.end()) {
        pending->second.finding.mac = n.mac;
    }
    if (IsOwnMac(n.mac) && !ownAddresses_.contains(n.address)) {
        if (ownMacReported_.insert(n.address).second) {
            report_(Ipv6OwnMacSeen{n.address, n.mac});
        }
    }
    std::int64_t now = NowSeconds();
    auto seen = current_.find(n.address);
    if (seen == current_.end()) {
        if (current_.size() >= kMaxNeighbours) {
            return;
        }
        current_.emplace(n.address, n.mac);
        auto known = known_.hosts6.find(n.address);
        if (known == known_.hosts6.end()) {
            known_.hosts6.emplace(n.address, KnownHost6{n.mac, now, now});
            ++knownVersion_;
        } else if (known->second.mac == n.mac) {
            NoteSeen(known->second, now);
        } else {
            // Another MAC than an earlier run knew: changed while nobody watched.
            report_(Ipv6MacChange{n.address, known->second.mac, n.mac,
                                  n.router || runRouters_.contains(n.address)});
        }
        return;
    }
    if (seen->second == n.mac) {
        if (auto known = known_.hosts6.find(n.address);
            known != known_.hosts6.end() && known->second.mac == n.mac) {
            NoteSeen(known->second, now);
        }
        return;
    }
    MacAddress from = seen->second;
    seen->second = n.mac;
    if (auto router = runRouters_.find(n.address); router != runRouters_.end()) {
        router->second = n.mac;
    }
    // The known MAC stays what it was: a restart under a forgery raises the alarm again.
    report_(Ipv6MacChange{n.address, from, n.mac, n.router || runRouters_.contains(n.address)});
}

void NetworkWatch::HearAddress(const OwnAddress& a) {
    if (a.removed) {
        ownAddresses_.erase(a.address);
        dadReported_.erase(a.address);
        return;
    }
    ownAddresses_.insert(a.address);
    if (a.interfaceIndex == interface_ && !a.address.IsLinkLocal() && a.prefixLength > 0 &&
        a.prefixLength <= 128) {
        heardPrefixes_.emplace(Masked(a.address, a.prefixLength), a.prefixLength);
    }
    if (a.interfaceIndex == interface_ && a.dadFailed && dadReported_.insert(a.address).second) {
        report_(DadFailure{a.address});
    }
}

void NetworkWatch::HearRoute(const Route& r, bool atStart) {
    if (r.IsDefault() && r.gateway.IsV6() && r.origin == RouteOrigin::RouterAdvertisement) {
        if (!r.removed && r.interfaceIndex == interface_) {
            NoteRouter(r.gateway, r.preference, atStart);
        }
        return;
    }
    if (IsWatchedDefault(r)) {
        HearDefault(r, atStart);
    }
}

void NetworkWatch::HearOptions(const RouterOptions& o) {
    if (auto pending = pendingRouters_.find(o.router); pending != pendingRouters_.end()) {
        for (const IpAddress& dns : o.dnsServers) {
            if (!Contains(pending->second.finding.dnsServers, dns)) {
                pending->second.finding.dnsServers.push_back(dns);
            }
        }
    }
}

void NetworkWatch::HearPrefix(const AdvertisedPrefix& p) {
    if (p.interfaceIndex != interface_ ||
        !heardPrefixes_.emplace(p.prefix, p.prefixLength).second) {
        return;
    }
    // The kernel names no router for a prefix: a new one goes with the routers appearing
    // meanwhile.
    for (auto& [address, pending] : pendingRouters_) {
        if (!Contains(pending.finding.prefixes, p)) {
            pending.finding.prefixes.push_back(p);
        }
    }
}

void NetworkWatch::NoteRouter(const IpAddress& address, RouterPreference preference, bool atStart) {
    if (auto pending = pendingRouters_.find(address); pending != pendingRouters_.end()) {
        if (preference != RouterPreference::None) {
            pending->second.finding.preference = preference;
        }
        return;
    }
    if (runRouters_.contains(address) || runRouters_.size() >= kMaxRouters) {
        return;
    }
    MacAddress mac;
    if (auto seen = current_.find(address); seen != current_.end()) {
        mac = seen->second;
    }
    runRouters_.emplace(address, mac);
    if (learning_ || known_.routers.contains(address)) {
        if (learning_) {
            known_.routers.emplace(address, mac);
            ++knownVersion_;
        }
        return;
    }
    (void)atStart;
    pendingRouters_.emplace(
        address, PendingRouter{RouterAppeared{address, mac, preference, {}, {}}, clock_.Now()});
    routerTimer_->Start();
}

void NetworkWatch::FlushRouters() {
    auto pending = std::move(pendingRouters_);
    pendingRouters_.clear();
    for (auto& [address, p] : pending) {
        if (p.finding.mac.length == 0) {
            if (auto seen = current_.find(address); seen != current_.end()) {
                p.finding.mac = seen->second;
            }
        }
        runRouters_[address] = p.finding.mac;
        report_(p.finding);
    }
}

void NetworkWatch::HearDefault(const Route& r, bool atStart) {
    DefaultRoute route{r.gateway, r.interfaceIndex, r.metric};
    auto sameFamily = [&](const DefaultRoute& d) { return d.gateway.family == r.gateway.family; };
    if (r.removed) {
        auto it = std::find(defaults_.begin(), defaults_.end(), route);
        if (it == defaults_.end()) {
            return;
        }
        defaults_.erase(it);
        // Settled after a grace: a route put back at once (a renewed lease) changes nothing.
        if (!atStart) {
            gatewayTimer_->Start();
        }
        return;
    }
    if (r.replaces) {
        std::erase_if(defaults_,
                      [&](const DefaultRoute& d) { return sameFamily(d) && d.metric == r.metric; });
    }
    if (Contains(defaults_, route)) {
        return;
    }
    defaults_.push_back(route);
    if (!atStart) {
        gatewayTimer_->Stop();
        SettleGateways();
    }
}

std::vector<IpAddress> NetworkWatch::GatewaysOf(IpAddress::Family family) const {
    std::vector<IpAddress> out;
    for (const DefaultRoute& d : defaults_) {
        if (d.gateway.family == family && !Contains(out, d.gateway)) {
            out.push_back(d.gateway);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<IpAddress> NetworkWatch::Gateways() const {
    std::vector<IpAddress> all = GatewaysOf(IpAddress::Family::V4);
    std::vector<IpAddress> v6 = GatewaysOf(IpAddress::Family::V6);
    all.insert(all.end(), v6.begin(), v6.end());
    return all;
}

void NetworkWatch::SettleGateways() {
    for (IpAddress::Family family : {IpAddress::Family::V4, IpAddress::Family::V6}) {
        auto pick = [family](const std::vector<DefaultRoute>& routes) {
            std::vector<std::pair<IpAddress, int>> out;
            for (const DefaultRoute& d : routes) {
                if (d.gateway.family == family) {
                    out.emplace_back(d.gateway, d.interfaceIndex);
                }
            }
            std::sort(out.begin(), out.end());
            out.erase(std::unique(out.begin(), out.end()), out.end());
            return out;
        };
        auto before = pick(settled_);
        auto after = pick(defaults_);
        if (before == after) {
            continue;
        }
        auto addresses = [](const std::vector<std::pair<IpAddress, int>>& routes) {
            std::vector<IpAddress> out;
            for (const auto& [gateway, index] : routes) {
                if (!Contains(out, gateway)) {
                    out.push_back(gateway);
                }
            }
            return out;
        };
        std::vector<IpAddress> was = addresses(before);
        std::vector<IpAddress> is = addresses(after);
        std::vector<IpAddress> knownHere;
        for (const IpAddress& g : known_.gateways) {
            if (g.family == family) {
                knownHere.push_back(g);
            }
        }
        bool allKnown = std::all_of(
            is.begin(), is.end(), [&](const IpAddress& g) { return known_.gateways.contains(g); });
        GatewayChange change{GatewayChange::Kind::NextHop, family, was, is};
        bool alarm = true;
        if (is.empty()) {
            // Gone with the link (its gateway unreachable too) is no attack; gone while the
            // gateway still answers is.
            change.kind = GatewayChange::Kind::Removed;
            alarm = std::any_of(was.begin(), was.end(), [&](const IpAddress& g) {
                return g.IsV6() ? resolved6_.contains(g) : reachable_ && reachable_(g);
            });
        } else if (!was.empty() && was == is) {
            change.kind = GatewayChange::Kind::Interface;
        } else if (allKnown || knownHere.empty()) {
            // Back to what the network is known by (after a link went down, or a further
            // route went again); or a family this network never had a gateway of.
            alarm = false;
        } else if (was.empty()) {
            change.before = knownHere;
        } else if (std::includes(is.begin(), is.end(), was.begin(), was.end())) {
            change.kind = GatewayChange::Kind::Added;
        }
        if (!alarm) {
            for (const IpAddress& g : is) {
                knownVersion_ += known_.gateways.insert(g).second ? 1 : 0;
            }
        } else {
            report_(change);
        }
    }
    settled_ = defaults_;
}

void NetworkWatch::CompareWithLastRun() {
    if (learning_) {
        return;
    }
    for (IpAddress::Family family : {IpAddress::Family::V4, IpAddress::Family::V6}) {
        std::vector<IpAddress> is = GatewaysOf(family);
        std::vector<IpAddress> was;
        for (const IpAddress& g : known_.gateways) {
            if (g.family == family) {
                was.push_back(g);
            }
        }
        // Not connected yet, or nothing known of this family: nothing to compare.
        if (is.empty() || was.empty()) {
            continue;
        }
        bool news = std::any_of(is.begin(), is.end(),
                                [&](const IpAddress& g) { return !known_.gateways.contains(g); });
        if (news) {
            report_(GatewayChange{GatewayChange::Kind::SinceLastRun, family, was, is});
        }
    }
}

void NetworkWatch::Clear() {
    std::int64_t now = NowSeconds();
    known_.hosts6.clear();
    for (const auto& [address, mac] : current_) {
        known_.hosts6.emplace(address, KnownHost6{mac, now, now});
    }
    known_.routers.clear();
    for (const auto& [address, mac] : runRouters_) {
        known_.routers.emplace(address, mac);
    }
    known_.gateways.clear();
    for (const IpAddress& g : Gateways()) {
        known_.gateways.insert(g);
    }
    ownMacReported_.clear();
    dadReported_.clear();
    ++knownVersion_;
}

void NetworkWatch::NoteSeen(KnownHost6& host, std::int64_t now) {
    if (now - host.lastSeen >= kLastSeenStep.count()) {
        host.lastSeen = now;
        ++knownVersion_;
    }
}

std::optional<MacAddress> NetworkWatch::RouterMac() const {
    for (const auto& [address, mac] : runRouters_) {
        auto seen = current_.find(address);
        if (seen != current_.end() && Resolved(seen->second)) {
            return seen->second;
        }
    }
    return std::nullopt;
}

}  // namespace kestrove
