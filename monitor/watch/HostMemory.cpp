#include "monitor/watch/HostMemory.h"

#include <algorithm>

#include "monitor/settings/StartupDefaults.h"

namespace kestrove {
namespace {

std::size_t SharedHosts(const HostsTable& t, Ipv4 gateway, const std::vector<ArpEntry>& table) {
    std::size_t shared = 0;
    for (const ArpEntry& e : table) {
        if (e.address == gateway) {
            continue;  // the entry in question
        }
        auto it = t.hosts.find(e.address);
        if (it != t.hosts.end() && it->second.mac == e.mac) {
            ++shared;
        }
    }
    return shared;
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
    current_ = HostsTable{id, {}};
    others_.clear();
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
    auto it = current_.hosts.find(address);
    if (it == current_.hosts.end()) {
        return std::nullopt;
    }
    return it->second.mac;
}

void HostMemory::Seen(const std::vector<ArpEntry>& rows) {
    std::int64_t now = NowSeconds();
    for (const ArpEntry& e : rows) {
        if (e.mac.IsUnresolved()) {
            continue;
        }
        auto it = current_.hosts.find(e.address);
        if (it == current_.hosts.end()) {
            if (current_.hosts.size() >= RememberedHosts::kMaxHostsPerNetwork) {
                continue;  // a table this full is beyond any real subnet; the watch goes on
            }
            current_.hosts.emplace(e.address, RememberedHost{e.mac, now, now});
            dirty_ = true;
            continue;
        }
        RememberedHost& host = it->second;
        if (now - host.lastSeen >= kLastSeenStep.count()) {
            dirty_ = true;
        }
        if (host.mac != e.mac) {
            ChangeMac(host, e.mac, now);
        }
        host.lastSeen = now;
    }
    SaveIfDue();
}

void HostMemory::NoteChange(Ipv4 address, const MacAddress& mac) {
    auto it = current_.hosts.find(address);
    if (it != current_.hosts.end() && it->second.mac != mac) {
        std::int64_t now = NowSeconds();
        ChangeMac(it->second, mac, now);
        it->second.lastSeen = now;
    }
}

void HostMemory::ChangeMac(RememberedHost& host, const MacAddress& to, std::int64_t now) {
    host.mac = to;
    host.firstSeen = now;
    dirty_ = true;
}

void HostMemory::Forget() {
    current_.hosts.clear();
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
    RememberedHosts all;
    all.tables.reserve(others_.size() + 1);
    all.tables.push_back(current_);
    all.tables.insert(all.tables.end(), others_.begin(), others_.end());
    if (!file_.Save(all)) {
        return false;
    }
    dirty_ = false;
    return true;
}

std::optional<std::chrono::seconds> HostMemory::UnseenFor(Ipv4 address,
                                                          const MacAddress& mac) const {
    auto it = current_.hosts.find(address);
    if (it == current_.hosts.end() || it->second.mac != mac) {
        return std::nullopt;
    }
    std::int64_t since = std::max(it->second.lastSeen, runStart_);
    return std::chrono::seconds(std::max<std::int64_t>(0, NowSeconds() - since));
}

std::string HostMemory::Explain(const AlarmFacts& facts, const AlarmHistory& history) const {
    return explainer_.Explain(facts, history);
}

}  // namespace kestrove
