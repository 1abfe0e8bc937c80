#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "monitor/watch/AlarmExplainer.h"
#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/HostsFile.h"

namespace kestrove {

// The hosts of the current network as far as this run and earlier runs saw them. It follows
// every scan (MAC, first and last seen) whatever `[Watch] Remember` says, because the alarm
// explanations need that history; the switch decides whether the table is loaded from and
// saved to "hosts.dat", read at the moment of use like every setting.
class HostMemory final : public AlarmMemory {
public:
    static constexpr std::chrono::seconds kSaveInterval{10};
    // A host seen again only moves its last sight in the file once a minute, so a quiet
    // network is not rewritten every 10 s.
    static constexpr std::chrono::seconds kLastSeenStep{60};

    HostMemory(SettingsStore& settings, const Clock& clock, HostsFile file,
               const OuiRegistry& vendors);

    // A MAC that raised a change alarm becomes the remembered one without the user's clear only
    // after the old MAC has not been seen at that address, nor at any other, for this long.
    static constexpr std::chrono::hours kDisputeAccepted{24};

    // Picks the current network's table from the file: the subnet and the MAC the gateway has
    // in `table` (the neighbour table now; `gateway` 0 when there is no default route). When
    // the gateway's MAC matches no table of that subnet (it may be poisoned already), the
    // table of that subnet that shares most other hosts with `table` is taken. When none shares
    // any but one of that subnet had this gateway address with another MAC, the gateway may
    // have been forged before the start: a new table is begun, but kept out of the file until
    // the user's clear accepts it (GatewayMismatch() tells the alarm to raise).
    void Start(Ipv4 subnet, Ipv4 mask, Ipv4 gateway, const std::vector<ArpEntry>& table);

    struct GatewayMismatch {
        Ipv4 gateway = 0;
        MacAddress remembered;
        MacAddress seen;
    };
    const std::optional<GatewayMismatch>& Mismatch() const { return mismatch_; }

    // What earlier runs knew of this network beyond its IPv4 hosts; nothing for a network
    // begun at this start (or known before that was kept), which is then learnt silently.
    std::optional<KnownNetwork> BeyondIpv4() const;
    // Where the network's knowledge beyond IPv4 comes from when it is saved; `version` moves
    // whenever it changes.
    struct BeyondIpv4Source {
        std::function<const KnownNetwork&()> known;
        std::function<std::uint64_t()> version;
    };
    void SetBeyondIpv4Source(BeyondIpv4Source source) { beyond_ = std::move(source); }

    // "クリア": the user accepts the network as it is now; its remembered table goes, and the
    // network is known from now on by the MAC its gateway has now.
    void Forget();
    // At shut-down: writes what is not saved yet.
    void SaveNow();

    std::optional<MacAddress> Remembered(Ipv4 address) override;
    void Seen(const std::vector<ArpEntry>& rows) override;
    std::optional<std::chrono::seconds> UnseenFor(Ipv4 address,
                                                  const MacAddress& mac) const override;
    void NoteChange(Ipv4 address, const MacAddress& mac) override;
    std::string Explain(const AlarmFacts& facts, const AlarmHistory& history) const override;

    const HostsTable& Current() const { return current_; }
    std::optional<HostsFile::LoadStatus> LoadResult() const { return loadResult_; }

private:
    // A host seen with another MAC than the remembered one: the remembered one stays until the
    // user's clear or kDisputeAccepted without it.
    void Dispute(Ipv4 address, const MacAddress& seen, std::int64_t now);
    void AcceptDisputesDue(const std::vector<ArpEntry>& rows, std::int64_t now);
    void AddNew(std::vector<RememberedHost>& added, std::int64_t now);

    bool RememberOn() const;
    std::int64_t NowSeconds() const;
    void SaveIfDue();
    bool Save();

    SettingsStore& settings_;
    const Clock& clock_;
    HostsFile file_;
    AlarmExplainer explainer_;

    HostsTable current_;
    // The other networks' tables, kept to be written back as they were read.
    std::vector<HostsTable> others_;
    std::optional<HostsFile::LoadStatus> loadResult_;
    struct Disputed {
        MacAddress seen;
        std::int64_t since = 0;
    };
    std::unordered_map<Ipv4, Disputed> disputes_;
    std::optional<GatewayMismatch> mismatch_;
    Ipv4 gatewayAddress_ = 0;
    MacAddress gatewayMacNow_;
    BeyondIpv4Source beyond_;
    std::uint64_t beyondSaved_ = 0;
    // The table was begun at this start (nothing known of the network before).
    bool fresh_ = true;
    // The table may be saved: not one begun under a gateway MAC that may be forged.
    bool confirmed_ = true;
    std::optional<TimePoint> lastSave_;
    // Since when this run watches: an absence before it was not seen, only not watched.
    std::int64_t runStart_ = 0;
    bool remembering_ = false;
    bool dirty_ = false;
    // A file that could be neither read nor moved aside is never overwritten.
    bool writable_ = true;
};

}  // namespace kestrove
