#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "common/Timer.h"
#include "common/Yielder.h"
#include "monitor/watch/AlarmList.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/HostGrid.h"
#include "monitor/watch/HostHistory.h"
#include "monitor/watch/HostTable.h"
#include "monitor/watch/WatchEvents.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

// Everything the watch engine works with, passed in so tests can give fakes for the clock,
// timers, give-way and the ARP table, and real files for the settings and the log.
struct WatchServices {
    SettingsStore& settings;
    AlarmLog& log;
    ArpTableSource& arpTable;
    OwnAdapters& adapters;
    HostNameLookup& hostNames;
    Clock& clock;
    TimerFactory& timers;
    Yielder& yielder;
    WatchEvents& events;
};

// The heart of the monitor: reads the ARP table on `Timer1`, keeps the host table, and raises
// the three alarms (MAC change, duplicate MAC, own MAC seen for another host) into `List1`,
// the tray and the alarm log. Entries the platform announces between two scans go through the
// same steps at once. Runs on the user-interface thread and asks to give way after every entry,
// so a click, a neighbour event or another timer may run in the middle of a scan or a check;
// the scan tick and the check never run inside one another: one waits for the other to end.
class WatchEngine {
public:
    static constexpr std::chrono::milliseconds kScanInterval{1000};
    static constexpr std::chrono::milliseconds kCheckInterval{10000};
    static constexpr std::chrono::milliseconds kScanPause{200};

    explicit WatchEngine(WatchServices services);
    WatchEngine(const WatchEngine&) = delete;
    WatchEngine& operator=(const WatchEngine&) = delete;

    // Hosts remembered from earlier runs and the alarms' explanations; none by default.
    void SetMemory(AlarmMemory* memory) { memory_ = memory; }

    // Starts the scan timer (it runs from the window's creation on).
    void StartScanning() { timer1_->Start(); }
    // Stops both timers for good; a scan or check in progress ends at its next give-way.
    void Shutdown();

    void ScanArpTable();
    void CheckDuplicates();
    void Timer1_Timer();
    void Timer2_Timer();

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
    void WriteEndLine();

    // An alarm stands from the moment `List1` turns red until the next clear.
    bool AlarmActive() const { return list1_.IsRed(); }
    bool FirstScan() const { return firstScan_; }
    std::size_t HostCount() const { return hosts_.Count(); }

    const AlarmList& List1() const { return list1_; }
    const HostHistory& List2() const { return list2_; }
    const HostGrid& Grid() const { return grid_; }
    Timer& Timer1() { return *timer1_; }
    Timer& Timer2() { return *timer2_; }

private:
    std::string Stamp() const;
    std::string Line(std::string_view message) const;
    // The steps of a scan for one entry: subnet test, change test, new-host line, record.
    // Returns false for an entry outside the watched subnet.
    bool ExamineEntry(const ArpEntry& entry);
    // First sight of a host of the subnet: listed in `List2` and recorded, no alarm.
    void RecordNewHost(const ArpEntry& entry);
    // Alarms raised while a scan, a check or a batch of notifications works through its
    // entries are drawn once, when it ends: 16,384 changes at once make one redraw, not 16,384.
    void BeginBatch() { ++batchDepth_; }
    void EndBatch();
    void ScanWhileDue();
    void RescanNow();
    void RaiseAlarm(std::string_view message, std::string listDetail, const AlarmFacts& facts);
    void CheckRemembered(const ArpEntry& entry);
    void RaiseChangeAlarm(Ipv4 address, const MacAddress& recorded, const MacAddress& seen);
    void CheckDuplicatePairs();
    void CheckOwnMacs();

    WatchServices s_;
    AlarmMemory* memory_ = nullptr;
    std::unique_ptr<Timer> timer1_;
    std::unique_ptr<Timer> timer2_;

    HostTable hosts_;
    AlarmList list1_;
    HostHistory list2_;
    HostGrid grid_;
    std::vector<ArpEntry> entries_;
    std::vector<ArpEntry> rows_;
    std::vector<ArpEntry> heard_;
    // Addresses announced while a scan walks its copy of the table: that copy is older than
    // what was heard, so the scan leaves these entries alone.
    std::unordered_set<Ipv4> heardDuringScan_;

    bool recordLog_ = true;
    bool firstScan_ = true;
    bool scanning_ = false;  // ScanArpTable is walking its entries
    bool ticking_ = false;   // the scan tick runs (scan, first check, pause)
    bool checking_ = false;
    bool rescanDue_ = false;
    int batchDepth_ = 0;
    bool redrawDue_ = false;
    bool checkDeferred_ = false;
    bool tickDeferred_ = false;
    bool shutDown_ = false;
};

}  // namespace kestrove
