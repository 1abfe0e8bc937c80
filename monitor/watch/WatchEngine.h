#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "common/Timer.h"
#include "monitor/watch/AlarmHostNames.h"
#include "monitor/watch/AlarmList.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/FlipTracker.h"
#include "monitor/watch/GatewayWatch.h"
#include "monitor/watch/HostGrid.h"
#include "monitor/watch/HostHistory.h"
#include "monitor/watch/HostTable.h"
#include "monitor/watch/TableRead.h"
#include "monitor/watch/WatchEvents.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

// Everything the watch engine works with, passed in so tests can give fakes for the clock,
// timers and the ARP table, and real files for the settings and the log.
struct WatchServices {
    SettingsStore& settings;
    AlarmLog& log;
    ArpTableSource& arpTable;
    OwnAdapters& adapters;
    HostNameLookup& hostNames;
    Clock& clock;
    TimerFactory& timers;
    WatchEvents& events;
};

// The heart of the monitor: reads the ARP table on `Timer1`, keeps the host table, and raises
// the three alarms (MAC change, duplicate MAC, own MAC seen for another host) into `List1`,
// the tray and the alarm log. Entries the platform announces between two scans go through the
// same steps at once, and a host listed by a scan or an announcement is checked for a shared
// or an own MAC at the end of that batch, so every alarm comes at the moment of its change;
// `Timer2`'s check stays as the safety net. Every handler runs to its end without giving way:
// the work per entry is a few hundred nanoseconds, and a clear or a shut-down simply happens
// between two handlers.
class WatchEngine {
public:
    static constexpr std::chrono::milliseconds kScanInterval{1000};
    static constexpr std::chrono::milliseconds kCheckInterval{10000};
    static constexpr std::chrono::milliseconds kScanPause{200};
    // How often counted flips are summed up in the log.
    static constexpr std::chrono::milliseconds kTallyInterval{60000};

    explicit WatchEngine(WatchServices services);
    WatchEngine(const WatchEngine&) = delete;
    WatchEngine& operator=(const WatchEngine&) = delete;

    // Hosts remembered from earlier runs and the alarms' explanations; none by default.
    void SetMemory(AlarmMemory* memory);
    // The watch of routes and IPv6; none by default.
    void SetGatewayWatch(GatewayWatch* gateways) { gateways_ = gateways; }
    // Scans read the table through `read` (off the engine's thread); by default `arpTable` is
    // read at once.
    void SetTableRead(TableRead* read) { tableRead_ = read; }

    // The IPv6, router and gateway alarms, `detail` made whole by the caller: raised like the
    // others (`List1`, the tray, the notification, the log, and an immediate report when
    // `startsReport`). The handle finds the alarm again for its first-hop finding.
    AlarmHandle RaiseNetworkAlarm(AlarmKind kind, const MacAddress& from, const MacAddress& to,
                                  std::string_view detail, const AlarmHistory& history,
                                  bool startsReport);
    // What the first-hop check found after `alarm`: a line of its own in the log and in
    // `List1` (while the alarm is still there), and a line of the alarm's explanation.
    void AddFirstHop(const AlarmHandle& alarm, std::string_view details);

    // Starts the scan timer (it runs from the window's creation on).
    void StartScanning() { timer1_->Start(); }
    // Stops every timer for good.
    void Shutdown();

    // Reads the table and runs every entry through the scan's steps; with a table read of its
    // own, when the read comes back. A scan asked for while one reads follows it.
    void ScanArpTable();
    void CheckDuplicates();
    void Timer1_Timer();
    void Timer2_Timer() { CheckDuplicates(); }

    // Reads what the neighbour notifications announce and runs every entry through the scan's
    // steps at once; lost notifications make a full scan. Returns false once the notifications
    // are gone for good (polling alone goes on).
    bool HearNeighbours(NeighbourEvents& source);

    // The clear button "クリア": forgets the alarm state and every recorded host.
    void Command1_Click();

    // The watch switches and the interval; `checked` is the menu item's new check mark.
    void SetChangeWatch(bool checked);
    void SetDuplicateWatch(bool checked);
    // `Combo1`: seconds as decimal text ("0.1" .. "30"); anything else is ignored.
    void SetScanInterval(std::string_view seconds);

    // The recording switch mirrors `[Log] Record`.
    void SetRecordLog(bool on);
    void InitRecordLog(bool on) { recordLog_ = on; }
    bool RecordLog() const { return recordLog_; }

    // Start and end lines: the log only while recording; the start line always in `List1`.
    void WriteStartLine();
    // Sums up counted flips first, so the log ends with everything that happened.
    void WriteEndLine();

    // An alarm stands from the moment `List1` turns red until the next clear.
    bool AlarmActive() const { return list1_.IsRed(); }
    bool FirstScan() const { return firstScan_; }
    bool Reading() const { return reading_; }
    std::size_t HostCount() const { return hosts_.Count(); }

    const AlarmList& List1() const { return list1_; }
    const HostHistory& List2() const { return list2_; }
    const HostGrid& Grid() const { return grid_; }
    const HostTable& Hosts() const { return hosts_; }
    Timer& Timer1() { return *timer1_; }
    Timer& Timer2() { return *timer2_; }
    // The pause after a scan: the lamp stays lit and `Timer1` waits until it ends.
    Timer& ScanPause() { return *pause_; }
    Timer& TallyTimer() { return *tally_; }
    // What the host table, `List2` and `List1` take (the benchmarks' per-host figures).
    std::size_t Bytes() const { return hosts_.Bytes() + list2_.Bytes() + list1_.Bytes(); }

private:
    std::string Line(std::string_view message) const;
    void EndOfPause();
    void RescanNow();
    // Why a scan reads the table: a caller's scan, `Timer1` (the lamp, then the pause), or a
    // rescan after lost notifications (`Timer1` counts from it). Of two asked for while the
    // table is read, the later in this order is made.
    enum class ReadFor { Scan, Tick, Rescan };
    void Scan(ReadFor why);
    // A scan's read, and its end once the read is back.
    void StartRead(ReadFor why);
    void EndRead(bool read);
    void ApplyScan(bool read);
    // The steps of a scan for one entry: subnet test, change test, new-host line, record.
    // Returns false for an entry outside the watched subnet.
    bool ExamineEntry(const ArpEntry& entry);
    // First sight of a host of the subnet: listed in `List2` and recorded, no alarm.
    void RecordNewHost(const ArpEntry& entry);
    void CheckRemembered(const ArpEntry& entry);
    void ChangeSeen(Ipv4 address, const MacAddress& recorded, const MacAddress& seen);
    void RaiseChangeAlarm(Ipv4 address, const MacAddress& recorded, const MacAddress& seen,
                          const AlarmHistory& history);
    void RaiseFlipSummary(const FlipTracker::Tally& tally);
    void Raise(const AlarmRecord& alarm, std::string_view hostName, bool startsReport);
    void ReportPair(const ListedHost& first, const ListedHost& second);
    void ReportOwnMac(const ListedHost& host);
    std::vector<MacAddress> OwnMacs() const;
    // The duplicate and own-MAC rules for the hosts the batch listed, in `List2` order: the
    // pairs first, then the own-MAC lines, as a check of the whole list would find them.
    void CheckListedNow();
    // The rules over the whole of `List2`, in its order (the check).
    void ReportWholeList();
    void TallyFlips();
    // Ends a scan, a batch of notifications or a check: the rules for what it listed, and one
    // redraw.
    void FinishBatch();
    bool ChangeWatchOn();
    bool DuplicateWatchOn() const;

    WatchServices s_;
    AlarmMemory* memory_ = nullptr;
    GatewayWatch* gateways_ = nullptr;
    std::unique_ptr<Timer> timer1_;
    std::unique_ptr<Timer> timer2_;
    std::unique_ptr<Timer> pause_;
    std::unique_ptr<Timer> tally_;

    HostTable hosts_;
    AlarmList list1_;
    HostHistory list2_;
    HostGrid grid_;
    FlipTracker flips_;
    AlarmHostNames names_;
    std::vector<ArpEntry> entries_;
    std::vector<ArpEntry> heard_;

    // A read under way: why, whether another scan was asked for meanwhile, and the addresses
    // notifications told of meanwhile, which are newer than what the read may hold for them.
    TableRead* tableRead_ = nullptr;
    bool reading_ = false;
    ReadFor readFor_ = ReadFor::Scan;
    std::optional<ReadFor> readAfter_;
    std::unordered_set<Ipv4> heardDuringRead_;

    // The batch in progress: what it listed, and what it owes at its end. `[Watch] Change` is
    // read once per batch: a burst of 16,384 changes is one moment, not 16,384 file reads.
    std::vector<ListedHost> listedNow_;
    std::optional<bool> changeWatch_;
    bool redrawDue_ = false;

    bool recordLog_ = true;
    bool firstScan_ = true;
    bool shutDown_ = false;
};

}  // namespace kestrove
