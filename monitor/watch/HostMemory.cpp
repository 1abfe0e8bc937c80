#include "monitor/watch/HostMemory.h"

#include "monitor/watch/NetworkExplainer.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "monitor/settings/StartupDefaults.h"

namespace kestrove {
namespace {

std::size_t SharedHosts(const HostsTable& t, Ipv4 gateway, const std::vector<ArpEntry>& table) {
    std::size_t shared = 0;
    for (const ArpEntry& e : table) {
        if (e.address == gateway) {
            continue;  // the entry in question
        }
        const RememberedHost* host = t.hosts.Find(e.address);
        if (host != nullptr && host->mac == e.mac) {
            ++shared;
        }
    }
    return shared;
}

std::uint64_t MacKey(const MacAddress& mac) {
    std::uint64_t key = mac.length;
    for (std::uint8_t b : mac.bytes) {
        key = key * 257 + b;
    }
    return key;
}

}  // namespace

HostMemory::HostMemory(SettingsStore& settings, const Clock& clock, HostsFile file,
                       const OuiRegistry& vendors)
    : settings_(settings), clock_(clock), file_(std::move(file)), explainer_(vendors) {}

bool HostMemory::RememberOn() const {
    return StartupSwitchIsOn(settings_, "Watch", "Remember");
}

std::int64_t HostMemory::NowSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(clock_.Now().time_since_epoch())
        .count();
}

void HostMemory::Start(Ipv4 subnet, Ipv4 mask, Ipv4 gateway, const std::vector<ArpEntry>& table) {
    NetworkId id{subnet & mask, mask, {}};
    for (const ArpEntry& e : table) {
        if (gateway != 0 && e.address == gateway && !e.mac.IsUnresolved()) {
            id.gateway = e.mac;
        }
    }
    current_ = HostsTable{id, {}, {}};
    gatewayAddress_ = gateway;
    gatewayMacNow_ = id.gateway;
    others_.clear();
    disputes_.clear();
    mismatch_.reset();
    fresh_ = true;
    confirmed_ = true;
    runStart_ = NowSeconds();
    remembering_ = false;
    if (!RememberOn()) {
        return;
    }
    remembering_ = true;
    RememberedHosts file;
    loadResult_ = file_.Load(file);
    writable_ = *loadResult_ != HostsFile::LoadStatus::Stuck;

    auto sameSubnet = [&](const HostsTable& t) {
        return t.network.subnet == id.subnet && t.network.mask == id.mask;
    };
    auto chosen = std::find_if(file.tables.begin(), file.tables.end(), [&](const HostsTable& t) {
        return sameSubnet(t) && t.network.gateway == id.gateway;
    });
    if (chosen == file.tables.end()) {
        std::size_t best = 0;
        for (auto it = file.tables.begin(); it != file.tables.end(); ++it) {
            std::size_t shared = sameSubnet(*it) ? SharedHosts(*it, gateway, table) : 0;
            if (shared > best) {
                best = shared;
                chosen = it;
            }
        }
    }
    if (chosen != file.tables.end()) {
        // The table keeps the identity it was begun with, not a gateway MAC that may be forged.
        current_ = std::move(*chosen);
        file.tables.erase(chosen);
        fresh_ = false;
    } else if (gateway != 0 && id.gateway.length > 0) {
        // Nothing shared but the gateway's address: forged before the start, or another
        // network with the same addressing. Either way the user is told, and only the user's
        // clear makes it a known network.
        IpAddress address = IpAddress::FromV4(gateway);
        for (const HostsTable& t : file.tables) {
            if (sameSubnet(t) && t.beyondIpv4.gateways.contains(address) &&
                t.network.gateway.length > 0 && t.network.gateway != id.gateway) {
                mismatch_ = GatewayMismatch{gateway, t.network.gateway, id.gateway};
                confirmed_ = false;
                break;
            }
        }
    }
    others_ = std::move(file.tables);
    if (others_.size() >= RememberedHosts::kMaxNetworks) {
        others_.resize(RememberedHosts::kMaxNetworks - 1);  // room for the current one
    }
}

std::optional<MacAddress> HostMemory::Remembered(Ipv4 address) {
    if (!remembering_) {
        return std::nullopt;  // switched off at start: first sight is silent, as it always was
    }
    const RememberedHost* host = current_.hosts.Find(address);
    if (host == nullptr) {
        return std::nullopt;
    }
    return host->mac;
}

void HostMemory::Seen(const std::vector<ArpEntry>& rows) {
    std::int64_t now = NowSeconds();
    // New hosts join the table together once the rows are gone through: one merge a scan.
    std::vector<RememberedHost> added;
    std::size_t cursor = 0;
    for (const ArpEntry& e : rows) {
        if (e.mac.IsUnresolved()) {
            continue;
        }
        if (e.address == gatewayAddress_) {
            gatewayMacNow_ = e.mac;
        }
        RememberedHost* found = current_.hosts.Find(e.address, cursor);
        if (found == nullptr) {
            added.push_back(RememberedHost{e.address, e.mac, now, now});
            continue;
        }
        RememberedHost& host = *found;
        if (host.mac != e.mac) {
            Dispute(e.address, e.mac, now);
            continue;
        }
        if (now - host.lastSeen >= kLastSeenStep.count()) {
            dirty_ = true;
        }
        host.lastSeen = now;
        if (!disputes_.empty()) {
            disputes_.erase(e.address);  // back with the remembered MAC
        }
    }
    AddNew(added, now);
    AcceptDisputesDue(rows, now);
    SaveIfDue();
}

void HostMemory::AddNew(std::vector<RememberedHost>& added, std::int64_t now) {
    const std::size_t room =
        RememberedHosts::kMaxHostsPerNetwork -
        std::min(current_.hosts.Size(), RememberedHosts::kMaxHostsPerNetwork);
    if (added.size() > room) {
        // A table this full is beyond any real subnet: the first new addresses in the read's
        // order take the places left, the others are not remembered; the watch goes on.
        std::unordered_set<Ipv4> taken;
        std::erase_if(added, [&](const RememberedHost& host) {
            if (taken.contains(host.address)) {
                return false;
            }
            if (taken.size() >= room) {
                return true;
            }
            taken.insert(host.address);
            return false;
        });
    }
    if (added.empty()) {
        return;
    }
    dirty_ = true;
    // A host listed more than once in one read (on several interfaces) is taken with its first
    // MAC; each later row is then judged as on any later read: another MAC is disputed, the
    // first MAC again settles the dispute.
    RememberedHostTable::SortByAddress(added);
    auto kept = added.begin();
    for (auto it = added.begin(); it != added.end(); ++it) {
        if (kept != added.begin() && std::prev(kept)->address == it->address) {
            if (it->mac != std::prev(kept)->mac) {
                Dispute(it->address, it->mac, now);
            } else {
                disputes_.erase(it->address);
            }
            continue;
        }
        *kept++ = *it;
    }
    added.erase(kept, added.end());
    current_.hosts.Merge(added);
}

void HostMemory::NoteChange(Ipv4 address, const MacAddress& mac) {
    RememberedHost* host = current_.hosts.Find(address);
    if (host == nullptr) {
        return;
    }
    std::int64_t now = NowSeconds();
    if (host->mac != mac) {
        Dispute(address, mac, now);
    } else {
        disputes_.erase(address);
        host->lastSeen = now;
    }
}

void HostMemory::Dispute(Ipv4 address, const MacAddress& seen, std::int64_t now) {
    auto [it, added] = disputes_.try_emplace(address, Disputed{seen, now});
    if (!added && it->second.seen != seen) {
        it->second = Disputed{seen, now};
    }
}

void HostMemory::AcceptDisputesDue(const std::vector<ArpEntry>& rows, std::int64_t now) {
    if (disputes_.empty()) {
        return;
    }
    const std::int64_t limit = std::chrono::seconds(kDisputeAccepted).count();
    std::vector<Ipv4> due;
    for (const auto& [address, d] : disputes_) {
        const RememberedHost* host = current_.hosts.Find(address);
        if (host != nullptr && now - d.since >= limit && now - host->lastSeen >= limit) {
            due.push_back(address);
        }
    }
    if (due.empty()) {
        return;
    }
    // The old MAC must be gone from every entry, not only from this address.
    std::unordered_set<std::uint64_t> present;
    for (const ArpEntry& e : rows) {
        present.insert(MacKey(e.mac));
    }
    for (Ipv4 address : due) {
        RememberedHost& host = *current_.hosts.Find(address);
        if (present.contains(MacKey(host.mac))) {
            continue;
        }
        host.mac = disputes_.at(address).seen;
        host.firstSeen = now;
        host.lastSeen = now;
        disputes_.erase(address);
        dirty_ = true;
    }
}

void HostMemory::Forget() {
    current_.hosts.Clear();
    disputes_.clear();
    // The user accepts the network as it is now, a gateway that raised an alarm included.
    confirmed_ = true;
    mismatch_.reset();
    if (gatewayMacNow_.length > 0) {
        current_.network.gateway = gatewayMacNow_;
        std::erase_if(others_, [&](const HostsTable& t) { return t.network == current_.network; });
    }
    dirty_ = true;
    // The user's decision must outlast a crash: written at once, not within 10 s.
    if (RememberOn()) {
        Save();
    }
}

void HostMemory::SaveNow() {
    if (dirty_ && RememberOn()) {
        Save();
    }
}

void HostMemory::SaveIfDue() {
    if (beyond_.version && beyond_.version() != beyondSaved_) {
        dirty_ = true;
    }
    if (!dirty_ || !RememberOn()) {
        return;
    }
    if (lastSave_ && clock_.Now() - *lastSave_ < kSaveInterval) {
        return;
    }
    Save();
}

bool HostMemory::Save() {
    // Also a failed attempt waits its 10 s, so a full disk is not hammered every scan.
    lastSave_ = clock_.Now();
    if (!writable_) {
        return false;
    }
    if (beyond_.known) {
        current_.beyondIpv4 = beyond_.known();
        beyondSaved_ = beyond_.version();
    }
    // The tables are written where they are: a copy of a large one would double its memory.
    std::vector<const HostsTable*> all;
    all.reserve(others_.size() + 1);
    if (confirmed_) {
        all.push_back(&current_);
    }
    for (const HostsTable& other : others_) {
        all.push_back(&other);
    }
    if (!file_.Save(all)) {
        return false;
    }
    dirty_ = false;
    return true;
}

std::optional<KnownNetwork> HostMemory::BeyondIpv4() const {
    if (!remembering_ || fresh_ || current_.beyondIpv4.Empty()) {
        return std::nullopt;
    }
    return current_.beyondIpv4;
}

std::optional<std::chrono::seconds> HostMemory::UnseenFor(Ipv4 address,
                                                          const MacAddress& mac) const {
    const RememberedHost* host = current_.hosts.Find(address);
    if (host == nullptr || host->mac != mac) {
        return std::nullopt;
    }
    std::int64_t since = std::max<std::int64_t>(host->lastSeen, runStart_);
    return std::chrono::seconds(std::max<std::int64_t>(0, NowSeconds() - since));
}

std::string HostMemory::Explain(const AlarmFacts& facts, const AlarmHistory& history) const {
    // The network kinds' own causes come first; an IPv6 change has the IPv4 change's clues too.
    std::string text = explainer_.Explain(facts, history);
    std::string network = NetworkCauses(facts, history);
    if (!network.empty()) {
        text = text.empty() ? network : network + "\n" + text;
    }
    return text;
}

}  // namespace kestrove
