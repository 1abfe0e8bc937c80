#include "monitor/watch/NetworkAlarms.h"

#include <algorithm>

#include "monitor/settings/StartupDefaults.h"
#include "monitor/watch/NetworkTexts.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

std::string_view PreferenceText(RouterPreference p) {
    switch (p) {
        case RouterPreference::High:
            return kPreferenceHigh;
        case RouterPreference::Medium:
            return kPreferenceMedium;
        case RouterPreference::Low:
            return kPreferenceLow;
        case RouterPreference::None:
            break;
    }
    return kPreferenceNone;
}

std::string_view GatewayKindText(GatewayChange::Kind kind) {
    switch (kind) {
        case GatewayChange::Kind::NextHop:
            return kGatewayNextHop;
        case GatewayChange::Kind::Interface:
            return kGatewayInterface;
        case GatewayChange::Kind::Added:
            return kGatewayAdded;
        case GatewayChange::Kind::Removed:
            return kGatewayRemoved;
        case GatewayChange::Kind::SinceLastRun:
            return kGatewaySinceLastRun;
    }
    return {};
}

std::string Joined(const std::vector<IpAddress>& addresses) {
    if (addresses.empty()) {
        return std::string(kNoGateway);
    }
    std::string text;
    for (const IpAddress& a : addresses) {
        if (!text.empty()) {
            text += ',';
        }
        text += FormatIp(a);
    }
    return text;
}

// "(address:) old -> new": the shape of the IPv4 change detail, the name left empty.
std::string ChangeDetail(const IpAddress& address, const MacAddress& from, const MacAddress& to) {
    return "(" + FormatIp(address) + ":) " + FormatMac(from) + " -> " + FormatMac(to);
}

std::string RouterDetail(const RouterAppeared& r) {
    std::string text = FormatIp(r.router);
    text += ' ';
    text += r.mac.length > 0 ? FormatMac(r.mac) : std::string("-");
    text += ' ';
    text += kPreferenceLabel;
    text += PreferenceText(r.preference);
    if (!r.prefixes.empty()) {
        text += ' ';
        text += kPrefixLabel;
        for (std::size_t i = 0; i < r.prefixes.size(); ++i) {
            text += i > 0 ? "," : "";
            text +=
                FormatIp(r.prefixes[i].prefix) + "/" + std::to_string(r.prefixes[i].prefixLength);
        }
    }
    if (!r.dnsServers.empty()) {
        text += ' ';
        text += kDnsLabel;
        text += Joined(r.dnsServers);
    }
    return text;
}

}  // namespace

NetworkAlarms::NetworkAlarms(WatchEngine& engine, SettingsStore& settings,
                             const OwnAdapters& adapters, const Clock& clock, TimerFactory& timers,
                             FirstHopCheck* firstHop)
    : engine_(engine),
      settings_(settings),
      adapters_(adapters),
      firstHop_(firstHop),
      watch_(
          clock, timers, [this](const NetworkFinding& f) { Raise(f); },
          [this](const IpAddress& gateway) {
              // An IPv4 gateway answers while the neighbour table holds it resolved.
              const auto& rows = engine_.Grid().Rows();
              Ipv4 address = gateway.V4();
              auto it = std::lower_bound(rows.begin(), rows.end(), address,
                                         [](const ArpEntry& e, Ipv4 a) { return e.address < a; });
              return it != rows.end() && it->address == address && !it->mac.IsUnresolved();
          }),
      tally_(timers.Create(WatchEngine::kTallyInterval)),
      clock_(clock) {
    tally_->SetHandler([this] { TallyFlips(); });
}

void NetworkAlarms::FollowAdapter() {
    if (link_ == adapters_.WatchInterface) {
        return;
    }
    link_ = adapters_.WatchInterface;
    std::vector<MacAddress> own;
    for (int k = 0; k <= adapters_.AdapterMax && k < OwnAdapters::kMaxAdapters; ++k) {
        MacAddress mac;
        if (ParseMac(adapters_.OwnMacList[k], mac) && !mac.IsUnresolved()) {
            own.push_back(mac);
        }
    }
    watch_.SetLink(link_, std::move(own));
}

void NetworkAlarms::Start(const NetworkSnapshot& snapshot, std::optional<KnownNetwork> known) {
    FollowAdapter();
    watch_.Start(snapshot, std::move(known));
}

bool NetworkAlarms::Hear(NetworkStateSource& source) {
    FollowAdapter();
    changes_.clear();
    NeighbourEventStatus status = source.Read(changes_);
    for (const NetworkChange& change : changes_) {
        watch_.Hear(change);
    }
    if (status == NeighbourEventStatus::Lost) {
        NetworkSnapshot snapshot;
        if (source.Dump(snapshot)) {
            watch_.Resync(snapshot);
        }
    }
    return status != NeighbourEventStatus::Closed;
}

bool NetworkAlarms::SwitchOn(std::string_view key) const {
    return StartupSwitchIsOn(settings_, "Watch", key);
}

bool NetworkAlarms::IsGateway(Ipv4 address) const {
    IpAddress a = IpAddress::FromV4(address);
    std::vector<IpAddress> gateways = watch_.Gateways();
    return std::find(gateways.begin(), gateways.end(), a) != gateways.end();
}

std::optional<MacAddress> NetworkAlarms::Ipv4GatewayMac() const {
    for (const IpAddress& g : watch_.Gateways()) {
        if (!g.IsV4()) {
            continue;
        }
        if (const MacAddress* mac = engine_.Hosts().Find(g.V4())) {
            return *mac;
        }
    }
    return std::nullopt;
}

void NetworkAlarms::Raise(const NetworkFinding& finding) {
    if (const auto* c = std::get_if<Ipv6MacChange>(&finding)) {
        if (SwitchOn("IPv6")) {
            RaiseIpv6Change(*c);
        }
    } else if (const auto* o = std::get_if<Ipv6OwnMacSeen>(&finding)) {
        if (SwitchOn("IPv6")) {
            engine_.RaiseNetworkAlarm(AlarmKind::Ipv6Broadcast, {}, o->mac,
                                      FormatMac(o->mac) + " (" + FormatIp(o->address) + ")", {},
                                      false);
        }
    } else if (const auto* r = std::get_if<RouterAppeared>(&finding)) {
        if (SwitchOn("Router")) {
            engine_.RaiseNetworkAlarm(AlarmKind::Router, {}, r->mac, RouterDetail(*r), {}, true);
        }
    } else if (const auto* g = std::get_if<GatewayChange>(&finding)) {
        if (!SwitchOn("Router")) {
            return;
        }
        std::string detail = g->family == IpAddress::Family::V6 ? "IPv6 " : "IPv4 ";
        detail += Joined(g->before) + " -> " + Joined(g->after) + " ";
        detail += GatewayKindText(g->kind);
        AlarmHistory history;
        history.gateway = true;
        AlarmHandle alarm =
            engine_.RaiseNetworkAlarm(AlarmKind::Gateway, {}, {}, detail, history, true);
        if (!g->after.empty()) {
            CheckFirstHop(g->after.front(), {}, {}, alarm);
        }
    } else if (const auto* d = std::get_if<DadFailure>(&finding)) {
        if (SwitchOn("IPv6")) {
            engine_.RaiseNetworkAlarm(AlarmKind::AddressConflict, {}, {}, FormatIp(d->address), {},
                                      true);
        }
    }
}

void NetworkAlarms::RaiseIpv6Change(const Ipv6MacChange& c) {
    auto verdict = flips_.Note(c.address, c.from, c.to, clock_.Now());
    if (verdict.ended) {
        RaiseFlipSummary(*verdict.ended);  // the run's count goes before what ended it
    }
    if (verdict.counted) {
        tally_->Start();
        return;
    }
    AlarmHistory history;
    history.flipBack = verdict.flipBack;
    history.gateway = c.router;
    if (c.router) {
        history.otherFamilyMac = Ipv4GatewayMac();
    }
    AlarmHandle alarm = engine_.RaiseNetworkAlarm(
        AlarmKind::Ipv6Change, c.from, c.to, ChangeDetail(c.address, c.from, c.to), history, true);
    if (c.router) {
        CheckFirstHop(c.address, c.to, {}, alarm);
    }
}

void NetworkAlarms::RaiseFlipSummary(const Ipv6FlipTracker::Tally& tally) {
    AlarmHistory history;
    history.flipBack = true;
    std::string detail = "(" + FormatIp(tally.address) + ":) " + FormatMac(tally.from) +
                         std::string(kFlipSummaryJoin) + FormatMac(tally.to) + " " +
                         std::to_string(tally.changes) + std::string(kFlipSummaryTimes);
    // No immediate report, as for IPv4: the run's first changes asked for one already.
    engine_.RaiseNetworkAlarm(AlarmKind::Ipv6FlipSummary, tally.from, tally.to, detail, history,
                              false);
}

void NetworkAlarms::TallyFlips() {
    tally_->Stop();
    for (const Ipv6FlipTracker::Tally& tally : flips_.TakeTallies(clock_.Now())) {
        RaiseFlipSummary(tally);
    }
}

void NetworkAlarms::Clear() {
    TallyFlips();
    flips_.Clear();
    watch_.Clear();
}

void NetworkAlarms::GatewayMacDiffers(Ipv4 gateway, const MacAddress& remembered,
                                      const MacAddress& seen) {
    if (!SwitchOn("Router")) {
        return;
    }
    AlarmHistory history;
    history.gateway = true;
    history.otherFamilyMac = watch_.RouterMac();
    IpAddress address = IpAddress::FromV4(gateway);
    AlarmHandle alarm =
        engine_.RaiseNetworkAlarm(AlarmKind::GatewayMac, remembered, seen,
                                  ChangeDetail(address, remembered, seen), history, true);
    CheckFirstHop(address, seen, {}, alarm);
}

void NetworkAlarms::GatewayMacChanged(Ipv4 address, const MacAddress&, const MacAddress& to,
                                      const AlarmHandle& alarm) {
    CheckFirstHop(IpAddress::FromV4(address), to, {}, alarm);
}

void NetworkAlarms::CheckFirstHop(const IpAddress& gateway, const MacAddress& mac,
                                  std::vector<IpAddress> gatewaysOwn, const AlarmHandle& alarm) {
    if (firstHop_ == nullptr || !SwitchOn("FirstHop")) {
        return;
    }
    if (gateway.IsV6()) {
        // A router answers from its global address; the known router's MAC tells which.
        for (const auto& [address, host] : watch_.Known().hosts6) {
            auto known = watch_.Known().routers.find(gateway);
            if (known != watch_.Known().routers.end() && host.mac == known->second &&
                address != gateway) {
                gatewaysOwn.push_back(address);
            }
        }
    }
    firstHop_->Request(gateway.family, [this, gateway, mac, gatewaysOwn = std::move(gatewaysOwn),
                                        alarm](const FirstHopAnswer& answer) {
        engine_.AddFirstHop(alarm, DescribeFirstHop(gateway, mac, gatewaysOwn, answer));
    });
}

}  // namespace kestrove
