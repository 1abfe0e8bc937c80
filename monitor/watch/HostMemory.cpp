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
    : settings_(settings), clock_(clock), file_(std::move(file)), explainer_(vendors) {
    runStart_ = NowSeconds();
}

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
    seenThisRun_.clear();
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
    RecountSeen();
}

void HostMemory::RecountSeen() {
    seenThisRun_.clear();
    for (const auto& entry : current_.hosts) {
        Count(entry.second);
    }
}

void HostMemory::Count(const RememberedHost& host) {
    if (host.lastSeen >= runStart_) {
        ++seenThisRun_[host.mac];
    }
}

void HostMemory::Uncount(const RememberedHost& host) {
    if (host.lastSeen < runStart_) {
        return;
    }
    auto it = seenThisRun_.find(host.mac);
    if (it != seenThisRun_.end() && --it->second == 0) {
        seenThisRun_.erase(it);
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
            Count(current_.hosts.emplace(e.address, RememberedHost{e.mac, now, now}).first->second);
            dirty_ = true;
            continue;
        }
        RememberedHost& host = it->second;
        if (now - host.lastSeen >= kLastSeenStep.count()) {
            dirty_ = true;
        }
        if (host.mac == e.mac && host.lastSeen >= runStart_ && now >= runStart_) {
            // The scan's usual path: a host counted under this MAC stays counted.
            host.lastSeen = now;
            continue;
        }
        Uncount(host);
        if (host.mac != e.mac) {
            NoteChange(e.address, host, e.mac, now);
        }
        host.lastSeen = now;
        Count(host);
    }
    SaveIfDue();
}

void HostMemory::NoteChange(Ipv4 address, RememberedHost& host, const MacAddress& to,
                            std::int64_t now) {
    if (lastChange_.size() >= RememberedHosts::kMaxHostsPerNetwork) {
        std::erase_if(lastChange_,
                      [&](const auto& c) { return now - c.second.at > kFlipBackWindow.count(); });
    }
    lastChange_[address] = Change{host.mac, to, now};
    host.mac = to;
    host.firstSeen = now;
    dirty_ = true;
}

void HostMemory::Forget() {
    current_.hosts.clear();
    lastChange_.clear();
    seenThisRun_.clear();
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

std::string HostMemory::Explain(const AlarmFacts& facts) {
    AlarmHistory history;
    if (facts.kind == AlarmKind::Change) {
        std::int64_t now = NowSeconds();
        auto it = current_.hosts.find(facts.address);
        if (it != current_.hosts.end() && it->second.mac == facts.oldMac) {
            history.oldUnseenFor =
                std::chrono::seconds(std::max<std::int64_t>(0, now - it->second.lastSeen));
        }
        auto change = lastChange_.find(facts.address);
        history.flipBack = change != lastChange_.end() && change->second.from == facts.newMac &&
                           change->second.to == facts.oldMac &&
                           now - change->second.at <= kFlipBackWindow.count();
        history.watchedFor = std::chrono::seconds(std::max<std::int64_t>(0, now - runStart_));
        bool ownCounted = it != current_.hosts.end() && it->second.lastSeen >= runStart_;
        if (auto held = seenThisRun_.find(facts.oldMac); held != seenThisRun_.end()) {
            history.oldElsewhere = held->second - (ownCounted && it->second.mac == facts.oldMac);
        }
        if (auto held = seenThisRun_.find(facts.newMac); held != seenThisRun_.end()) {
            history.otherAddresses = held->second;
            if (it != current_.hosts.end() && it->second.mac == facts.newMac &&
                it->second.lastSeen >= runStart_) {
                --history.otherAddresses;  // the alarm's own address is not another one
            }
        }
        // Noted now rather than at the next scan: a change heard from the kernel may be undone
        // before that scan, and its undoing must be recognised as the flip back it is.
        if (it != current_.hosts.end() && it->second.mac == facts.oldMac) {
            Uncount(it->second);
            NoteChange(facts.address, it->second, facts.newMac, now);
            it->second.lastSeen = now;
            Count(it->second);
        }
    }
    return explainer_.Explain(facts, history);
}

}  // namespace kestrove
