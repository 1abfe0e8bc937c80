#include "monitor/watch/WatchEngine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "common/MemoryReturn.h"
#include "common/TimeFormat.h"
#include "monitor/settings/StartupDefaults.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {

WatchEngine::WatchEngine(WatchServices services)
    : s_(services),
      timer1_(s_.timers.Create(kScanInterval)),
      timer2_(s_.timers.Create(kCheckInterval)),
      pause_(s_.timers.Create(kScanPause)),
      tally_(s_.timers.Create(kTallyInterval)),
      names_(s_.hostNames, s_.clock) {
    timer1_->SetHandler([this] { Timer1_Timer(); });
    timer2_->SetHandler([this] { Timer2_Timer(); });
    pause_->SetHandler([this] { EndOfPause(); });
    tally_->SetHandler([this] { TallyFlips(); });
}

void WatchEngine::SetMemory(AlarmMemory* memory) {
    memory_ = memory;
    list1_.SetExplainer(memory);
}

void WatchEngine::Shutdown() {
    shutDown_ = true;
    for (Timer* timer : {timer1_.get(), timer2_.get(), pause_.get(), tally_.get()}) {
        timer->Stop();
    }
}

std::string WatchEngine::Line(std::string_view message) const {
    std::string line = FormatLogStamp(s_.clock.LocalNow());
    line += '\t';
    line += message;
    return line;
}

void WatchEngine::Timer1_Timer() {
    timer1_->Stop();
    Scan(ReadFor::Tick);
}

void WatchEngine::EndOfPause() {
    pause_->Stop();
    s_.events.ScanActivity(false);
    if (!shutDown_) {
        timer1_->Start();
    }
}

void WatchEngine::RescanNow() {
    Scan(ReadFor::Rescan);
}

void WatchEngine::ScanArpTable() {
    Scan(ReadFor::Scan);
}

void WatchEngine::Scan(ReadFor why) {
    if (shutDown_) {
        return;
    }
    if (reading_) {
        // What the read under way holds may be older than the request: another read follows,
        // the one that also starts Timer1 again when asked for.
        readAfter_ = std::max(readAfter_.value_or(why), why);
        return;
    }
    StartRead(why);
}

void WatchEngine::StartRead(ReadFor why) {
    reading_ = true;
    readFor_ = why;
    if (why == ReadFor::Tick) {
        s_.events.ScanActivity(true);
    }
    // Room for a table a little larger than the last, so the read does not grow its buffer
    // by doubling; the buffer lives only until the rows are published.
    const std::size_t last = grid_.Rows().size();
    entries_.reserve(last + last / 128 + 64);
    if (tableRead_ == nullptr) {
        EndRead(s_.arpTable.Read(entries_));
        return;
    }
    tableRead_->Start(std::move(entries_), [this](bool read, std::vector<ArpEntry>& entries) {
        entries_ = std::move(entries);
        EndRead(read);
    });
}

void WatchEngine::EndRead(bool read) {
    reading_ = false;
    if (shutDown_) {
        return;
    }
    ApplyScan(read);
    if (readFor_ == ReadFor::Tick) {
        if (firstScan_) {
            // After the first scan only, so the check's first run sees the hosts of that scan.
            if (DuplicateWatchOn()) {
                CheckDuplicates();
            }
            firstScan_ = false;
        }
        // The lamp stays lit for the pause; the interval counts from its end.
        pause_->Start();
    } else if (readFor_ == ReadFor::Rescan && !pause_->IsActive()) {
        // The scan timer counts from this scan; in a tick's pause it starts when the pause ends.
        timer1_->Stop();
        timer1_->Start();
    }
    if (std::optional<ReadFor> next = std::exchange(readAfter_, std::nullopt)) {
        StartRead(*next);
    }
}

void WatchEngine::ApplyScan(bool read) {
    if (!read) {
        entries_.clear();  // an unreadable table shows like an empty one; the next tick retries
    }
    // The subnet's entries are kept in place and handed to the grid, whose previous rows come
    // back as the next read's buffer. What a notification told of while the table was read is
    // newer than the read: it stands, and the grid shows it.
    std::size_t kept = 0;
    for (ArpEntry& entry : entries_) {
        if (!heardDuringRead_.empty() && heardDuringRead_.count(entry.address) != 0) {
            if (!s_.adapters.InWatchedSubnet(entry.address)) {
                continue;
            }
            if (const MacAddress* recorded = hosts_.Find(entry.address)) {
                entry.mac = *recorded;
            }
        } else if (!ExamineEntry(entry)) {
            continue;
        }
        entries_[kept++] = entry;
    }
    entries_.resize(kept);
    heardDuringRead_.clear();
    grid_.Publish(entries_);
    if (memory_ != nullptr) {
        memory_->Seen(grid_.Rows());
    }
    redrawDue_ = true;
    FinishBatch();
}

bool WatchEngine::HearNeighbours(NeighbourEvents& source) {
    if (shutDown_) {
        return false;
    }
    ClearKeepingSmall(heard_);
    NeighbourEventStatus status = source.Read(heard_);
    for (const ArpEntry& entry : heard_) {
        ExamineEntry(entry);
        if (reading_) {
            heardDuringRead_.insert(entry.address);
        }
    }
    FinishBatch();
    if (status == NeighbourEventStatus::Lost) {
        RescanNow();
    }
    return status != NeighbourEventStatus::Closed;
}

bool WatchEngine::ExamineEntry(const ArpEntry& entry) {
    if (!s_.adapters.InWatchedSubnet(entry.address)) {
        return false;
    }
    if (entry.mac.IsUnresolved()) {
        return true;  // never recorded, never compared
    }
    const MacAddress* recorded = hosts_.Find(entry.address);
    if (recorded == nullptr) {
        RecordNewHost(entry);
    } else if (*recorded != entry.mac) {
        MacAddress old = *recorded;
        // The new MAC is taken over whatever the switch says, so each change is reported once
        // and turning the switch on later reports nothing stale.
        hosts_.Record(entry.address, entry.mac);
        ChangeSeen(entry.address, old, entry.mac);
    }
    return true;
}

void WatchEngine::RecordNewHost(const ArpEntry& entry) {
    ListedHost listed{entry.mac, entry.address};
    list2_.Add(listed);
    listedNow_.push_back(listed);
    hosts_.Record(entry.address, entry.mac);
    redrawDue_ = true;
    CheckRemembered(entry);
}

void WatchEngine::CheckRemembered(const ArpEntry& entry) {
    // A host that an earlier run knew with another MAC changed while nobody watched.
    if (memory_ == nullptr) {
        return;
    }
    std::optional<MacAddress> remembered = memory_->Remembered(entry.address);
    if (!remembered || *remembered == entry.mac || !ChangeWatchOn()) {
        return;
    }
    AlarmHistory history;
    history.oldUnseenFor = memory_->UnseenFor(entry.address, *remembered);
    history.otherAddresses = hosts_.Holders(entry.mac) - 1;
    memory_->NoteChange(entry.address, entry.mac);
    RaiseChangeAlarm(entry.address, *remembered, entry.mac, history);
}

void WatchEngine::ChangeSeen(Ipv4 address, const MacAddress& recorded, const MacAddress& seen) {
    AlarmHistory history;
    if (memory_ != nullptr) {
        history.oldUnseenFor = memory_->UnseenFor(address, recorded);
        memory_->NoteChange(address, seen);
    }
    if (!ChangeWatchOn()) {
        return;
    }
    FlipTracker::Verdict verdict = flips_.Note(address, recorded, seen, s_.clock.Now());
    if (verdict.ended) {
        RaiseFlipSummary(*verdict.ended);  // the run's count goes before what ended it
    }
    if (verdict.counted) {
        tally_->Start();
        return;
    }
    history.flipBack = verdict.flipBack;
    history.otherAddresses = hosts_.Holders(seen) - 1;  // the address itself holds it now
    history.oldHeldElsewhere = hosts_.Holders(recorded) > 0;
    RaiseChangeAlarm(address, recorded, seen, history);
}

void WatchEngine::RaiseChangeAlarm(Ipv4 address, const MacAddress& recorded, const MacAddress& seen,
                                   const AlarmHistory& history) {
    AlarmRecord alarm{s_.clock.Now(), AlarmFacts{AlarmKind::Change, address, 0, recorded, seen},
                      history};
    bool gateway = gateways_ != nullptr && gateways_->IsGateway(address);
    if (gateway) {
        alarm.history.gateway = true;
        alarm.history.otherFamilyMac = gateways_->RouterIpv6Mac();
    }
    // One lookup for the list, the log and the notification alike.
    Raise(alarm, names_.NameOf(address), true);
    if (gateway) {
        gateways_->GatewayMacChanged(address, recorded, seen, list1_.LastAlarm());
    }
}

AlarmHandle WatchEngine::RaiseNetworkAlarm(AlarmKind kind, const MacAddress& from,
                                           const MacAddress& to, std::string_view detail,
                                           const AlarmHistory& history, bool startsReport) {
    if (shutDown_) {
        return {};
    }
    AlarmRecord alarm{s_.clock.Now(), AlarmFacts{kind, 0, 0, from, to}, history};
    Raise(alarm, detail, startsReport);
    AlarmHandle handle = list1_.LastAlarm();
    FinishBatch();
    return handle;
}

void WatchEngine::AddFirstHop(const AlarmHandle& alarm, std::string_view details) {
    if (shutDown_ || details.empty()) {
        return;
    }
    AlarmRecord record{s_.clock.Now(), AlarmFacts{AlarmKind::FirstHop, 0, 0, {}, {}}, {}};
    // Evidence, not an alarm of its own: no blink, no notification, and in `List1` only
    // beside the alarm it belongs to.
    if (list1_.SetEvidence(alarm, details)) {
        list1_.AddAlarm(record, details);
        redrawDue_ = true;
    }
    if (recordLog_) {
        s_.log.AppendAlarmLine(AlarmTitle(record) + "\t" + std::string(details));
    }
    FinishBatch();
}

void WatchEngine::RaiseFlipSummary(const FlipTracker::Tally& tally) {
    AlarmRecord alarm{s_.clock.Now(),
                      AlarmFacts{AlarmKind::FlipSummary, tally.address, 0, tally.from, tally.to},
                      AlarmHistory{}};
    alarm.history.flipBack = true;
    alarm.changes = tally.changes;
    // No immediate report: the report leaves these lines out, and the run's first changes
    // asked for one already.
    Raise(alarm, names_.NameOf(tally.address), false);
}

void WatchEngine::Raise(const AlarmRecord& alarm, std::string_view hostName, bool startsReport) {
    const AlarmRecord& listed = list1_.AddAlarm(alarm, hostName);
    std::string detail = AlarmDetail(listed, hostName);
    s_.events.StartIconBlink();
    redrawDue_ = true;
    s_.events.AlarmRaised(AlarmMessage(alarm.facts.kind), detail,
                          list1_.Explanation(list1_.Count() - 1));
    if (recordLog_) {
        s_.log.AppendAlarmLine(AlarmTitle(listed) + "\t" + detail);
        if (startsReport) {
            s_.events.RequestImmediateReport();
        }
    }
}

void WatchEngine::ReportPair(const ListedHost& first, const ListedHost& second) {
    // A pair still shown in `List1` has been reported since the list was emptied.
    if (list1_.WasReported(first, second)) {
        return;
    }
    Raise(
        AlarmRecord{s_.clock.Now(),
                    AlarmFacts{AlarmKind::Duplicate, first.address, second.address, {}, first.mac},
                    AlarmHistory{}},
        {}, true);
    list1_.MarkReported(first, second);
}

void WatchEngine::ReportOwnMac(const ListedHost& host) {
    // Once per host until a clear empties both lists: the red list and the tray keep
    // reminding the user, and the log does not fill with repeats.
    if (list1_.WasReported(host, host)) {
        return;
    }
    Raise(
        AlarmRecord{s_.clock.Now(), AlarmFacts{AlarmKind::Broadcast, host.address, 0, {}, host.mac},
                    AlarmHistory{}},
        {}, false);
    list1_.MarkReported(host, host);
}

std::vector<MacAddress> WatchEngine::OwnMacs() const {
    // In adapter order; a text that no MAC formats to (empty, odd case) can match no line.
    std::vector<MacAddress> own;
    const OwnAdapters& a = s_.adapters;
    for (int k = 0; k <= a.AdapterMax && k < OwnAdapters::kMaxAdapters; ++k) {
        MacAddress mac;
        if (ParseMac(a.OwnMacList[k], mac) && FormatMac(mac) == a.OwnMacList[k]) {
            own.push_back(mac);
        }
    }
    return own;
}

void WatchEngine::CheckListedNow() {
    if (listedNow_.empty()) {
        return;
    }
    if (!DuplicateWatchOn()) {
        ClearKeepingSmall(listedNow_);
        return;
    }
    if (listedNow_.size() * 8 > list2_.Count()) {
        // Most of the list is new (a first scan): one walk over it all is cheaper than a search
        // per entry, and finds the same pairs, those reported already aside.
        ClearKeepingSmall(listedNow_);
        ReportWholeList();
        return;
    }
    std::sort(listedNow_.begin(), listedNow_.end(), ListedBefore);
    // A new entry makes at most two new neighbouring pairs: with the entry before it and the
    // one after it, where they share its MAC.
    for (const ListedHost& host : listedNow_) {
        auto [before, after] = list2_.SameMacNeighbours(host);
        if (before != nullptr) {
            ReportPair(*before, host);
        }
        if (after != nullptr) {
            ReportPair(host, *after);
        }
    }
    for (const MacAddress& own : OwnMacs()) {
        for (const ListedHost& host : listedNow_) {
            if (host.mac == own) {
                ReportOwnMac(host);
            }
        }
    }
    ClearKeepingSmall(listedNow_);
}

void WatchEngine::ReportWholeList() {
    // Hosts sharing a MAC stand next to each other in `List2` order.
    const std::vector<ListedHost>& listed = list2_.Entries();
    for (std::size_t i = 0; i + 1 < listed.size(); ++i) {
        if (listed[i].mac == listed[i + 1].mac) {
            ReportPair(listed[i], listed[i + 1]);
        }
    }
    for (const MacAddress& own : OwnMacs()) {
        for (const ListedHost& host : list2_.WithMac(own)) {
            ReportOwnMac(host);
        }
    }
}

void WatchEngine::CheckDuplicates() {
    timer2_->Stop();
    // A check that falls due with the switch off does not run, and its timer stays off.
    if (shutDown_ || !DuplicateWatchOn()) {
        return;
    }
    ReportWholeList();
    FinishBatch();
    timer2_->Start();
}

void WatchEngine::TallyFlips() {
    for (const FlipTracker::Tally& tally : flips_.TakeTallies(s_.clock.Now())) {
        RaiseFlipSummary(tally);
    }
    tally_->Stop();
    FinishBatch();
}

void WatchEngine::FinishBatch() {
    CheckListedNow();
    changeWatch_.reset();
    if (std::exchange(redrawDue_, false)) {
        s_.events.ViewsChanged();
    }
}

bool WatchEngine::ChangeWatchOn() {
    if (!changeWatch_) {
        changeWatch_ = StartupSwitchIsOn(s_.settings, "Watch", "Change");
    }
    return *changeWatch_;
}

bool WatchEngine::DuplicateWatchOn() const {
    return StartupSwitchIsOn(s_.settings, "Watch", "Duplicate");
}

void WatchEngine::Command1_Click() {
    // Counted flips reach the log before the lists forget them.
    TallyFlips();
    list1_.Reset();
    list1_.Add(Line(kClearedMessage));
    list2_.Clear();
    hosts_.Clear();
    flips_.Clear();
    s_.events.StopIconBlink();
    s_.events.ViewsChanged();
}

void WatchEngine::SetChangeWatch(bool checked) {
    s_.settings.WriteIni("Watch", "Change", checked ? "1" : "0");
}

void WatchEngine::SetDuplicateWatch(bool checked) {
    s_.settings.WriteIni("Watch", "Duplicate", checked ? "1" : "0");
    timer2_->SetEnabled(checked);
}

void WatchEngine::SetScanInterval(std::string_view seconds) {
    double value = 0;
    auto [end, ec] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value);
    if (ec != std::errc{} || end != seconds.data() + seconds.size() || !(value > 0) ||
        value > 3600) {
        return;
    }
    timer1_->SetInterval(std::chrono::milliseconds(std::lround(value * 1000)));
}

void WatchEngine::SetRecordLog(bool on) {
    recordLog_ = on;
    s_.settings.WriteIni("Log", "Record", on ? "1" : "0");
}

void WatchEngine::WriteStartLine() {
    if (recordLog_) {
        s_.log.AppendAlarmLine(Line(kStartMessage));
    }
    list1_.Add(Line(kStartMessage));
    s_.events.ViewsChanged();
}

void WatchEngine::WriteEndLine() {
    TallyFlips();
    if (recordLog_) {
        s_.log.AppendAlarmLine(Line(kEndMessage));
    }
}

}  // namespace kestrove
