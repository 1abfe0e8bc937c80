#include "monitor/watch/WatchEngine.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "common/TimeFormat.h"
#include "monitor/settings/StartupDefaults.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

// The first 17 characters of a `List2` line are its MAC text (for six-byte addresses).
constexpr std::size_t kMacTextLength = 17;

std::string HistoryLine(const ArpEntry& entry) {
    std::string line;
    line.reserve(3 * MacAddress::kMaxLength + 18);
    line += FormatMac(entry.mac);
    line += " (";
    line += FormatAddressText(entry.address);
    line += ")";
    return line;
}

}  // namespace

WatchEngine::WatchEngine(WatchServices services)
    : s_(services),
      timer1_(s_.timers.Create(kScanInterval)),
      timer2_(s_.timers.Create(kCheckInterval)) {
    timer1_->SetHandler([this] { Timer1_Timer(); });
    timer2_->SetHandler([this] { Timer2_Timer(); });
}

void WatchEngine::Shutdown() {
    shutDown_ = true;
    timer1_->Stop();
    timer2_->Stop();
}

std::string WatchEngine::Stamp() const {
    return FormatLogStamp(s_.clock.LocalNow());
}

std::string WatchEngine::Line(std::string_view message) const {
    std::string line = Stamp();
    line += '\t';
    line += message;
    return line;
}

void WatchEngine::Timer1_Timer() {
    timer1_->Stop();
    if (checking_) {
        tickDeferred_ = true;  // the check runs the tick when it ends
        return;
    }
    ticking_ = true;
    s_.events.ScanActivity(true);
    rescanDue_ = true;
    ScanWhileDue();
    if (!shutDown_ && firstScan_) {
        // After the first scan only, so the check's first run sees the hosts of that scan.
        if (StartupSwitchIsOn(s_.settings, "Watch", "Duplicate")) {
            CheckDuplicates();
        }
        firstScan_ = false;
    }
    if (!shutDown_) {
        s_.yielder.Pause(kScanPause);
        ScanWhileDue();
    }
    ticking_ = false;
    // A check that fell due meanwhile runs now, unless the switch went off while it waited.
    if (std::exchange(checkDeferred_, false) && !shutDown_ &&
        StartupSwitchIsOn(s_.settings, "Watch", "Duplicate")) {
        CheckDuplicates();
    }
    s_.events.ScanActivity(false);
    if (!shutDown_) {
        timer1_->Start();
    }
}

void WatchEngine::Timer2_Timer() {
    if (ticking_) {
        // Run after the scan tick rather than inside its give-way, where it would stall it.
        timer2_->Stop();
        checkDeferred_ = true;
        return;
    }
    CheckDuplicates();
}

void WatchEngine::ScanWhileDue() {
    while (rescanDue_ && !shutDown_) {
        rescanDue_ = false;
        ScanArpTable();
    }
}

void WatchEngine::RescanNow() {
    if (shutDown_) {
        return;
    }
    if (ticking_) {
        rescanDue_ = true;  // the tick scans once more before it ends
    } else if (checking_) {
        tickDeferred_ = true;
    } else {
        Timer1_Timer();
    }
}

void WatchEngine::ScanArpTable() {
    if (!s_.arpTable.Read(entries_)) {
        entries_.clear();  // an unreadable table shows like an empty one; the next tick retries
    }
    rows_.clear();
    rows_.reserve(entries_.size());
    heardDuringScan_.clear();
    scanning_ = true;
    BeginBatch();
    for (const ArpEntry& entry : entries_) {
        if (heardDuringScan_.empty() || !heardDuringScan_.contains(entry.address)) {
            if (ExamineEntry(entry)) {
                rows_.push_back(entry);
            }
        } else if (s_.adapters.InWatchedSubnet(entry.address)) {
            rows_.push_back(entry);
        }
        s_.yielder.GiveWay();
        if (shutDown_) {
            scanning_ = false;
            --batchDepth_;
            return;
        }
    }
    scanning_ = false;
    grid_.Publish(rows_);
    if (memory_ != nullptr) {
        memory_->Seen(grid_.Rows());
    }
    redrawDue_ = true;
    EndBatch();
}

void WatchEngine::EndBatch() {
    if (--batchDepth_ == 0 && redrawDue_) {
        redrawDue_ = false;
        s_.events.ViewsChanged();
    }
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
        if (StartupSwitchIsOn(s_.settings, "Watch", "Change")) {
            RaiseChangeAlarm(entry.address, old, entry.mac);
        }
    }
    return true;
}

void WatchEngine::RecordNewHost(const ArpEntry& entry) {
    list2_.Add(HistoryLine(entry));
    hosts_.Record(entry.address, entry.mac);
    CheckRemembered(entry);
}

bool WatchEngine::HearNeighbours(NeighbourEvents& source) {
    heard_.clear();
    NeighbourEventStatus status = source.Read(heard_);
    const auto list2 = list2_.Version();
    BeginBatch();
    for (const ArpEntry& entry : heard_) {
        if (shutDown_) {
            --batchDepth_;
            return false;
        }
        if (scanning_) {
            heardDuringScan_.insert(entry.address);
        }
        ExamineEntry(entry);
    }
    // Most notifications repeat a known MAC (a probe, a reachable entry): nothing to redraw.
    if (list2 != list2_.Version()) {
        redrawDue_ = true;
    }
    EndBatch();
    if (status == NeighbourEventStatus::Lost) {
        RescanNow();
    }
    return status != NeighbourEventStatus::Closed;
}


void WatchEngine::CheckRemembered(const ArpEntry& entry) {
    // A host that an earlier run knew with another MAC changed while nobody watched.
    if (memory_ == nullptr) {
        return;
    }
    std::optional<MacAddress> remembered = memory_->Remembered(entry.address);
    if (remembered && *remembered != entry.mac &&
        StartupSwitchIsOn(s_.settings, "Watch", "Change")) {
        RaiseChangeAlarm(entry.address, *remembered, entry.mac);
    }
}

void WatchEngine::RaiseAlarm(std::string_view message, std::string listDetail,
                             const AlarmFacts& facts) {
    std::string explanation = memory_ != nullptr ? memory_->Explain(facts) : std::string();
    list1_.BeginAlarm();
    list1_.Add(Line(message), explanation);
    list1_.Add(listDetail, explanation);
    list1_.SetRed();
    s_.events.StartIconBlink();
    if (batchDepth_ > 0) {
        redrawDue_ = true;
    } else {
        s_.events.ViewsChanged();
    }
    s_.events.AlarmRaised(message, std::string_view(listDetail).substr(2), explanation);
}

void WatchEngine::RaiseChangeAlarm(Ipv4 address, const MacAddress& recorded,
                                   const MacAddress& seen) {
    std::string addressText = FormatAddressText(address);
    auto detail = [&] {
        return "(" + addressText + ":" + s_.hostNames.GetHostNameByIP(addressText) + ") " +
               FormatMac(recorded) + " -> " + FormatMac(seen);
    };
    RaiseAlarm(kChangeMessage, "  " + detail(),
               AlarmFacts{AlarmKind::Change, address, recorded, seen, {}, {}});
    if (recordLog_) {
        s_.log.AppendAlarmLine(Line(kChangeMessage) + "\t" + detail());
        s_.events.RequestImmediateReport();
    }
}

void WatchEngine::CheckDuplicates() {
    // A first-scan check may run inside a check that gave way; one run at a time is enough.
    if (checking_ || shutDown_) {
        return;
    }
    checking_ = true;
    timer2_->Stop();
    BeginBatch();
    CheckDuplicatePairs();
    if (!shutDown_) {
        CheckOwnMacs();
    }
    EndBatch();
    checking_ = false;
    // The switch may have been turned off while the check gave way; it must stay off then.
    if (!shutDown_ && StartupSwitchIsOn(s_.settings, "Watch", "Duplicate")) {
        timer2_->Start();
    }
    if (!shutDown_ && tickDeferred_) {
        tickDeferred_ = false;
        Timer1_Timer();
    }
}

void WatchEngine::CheckDuplicatePairs() {
    const std::size_t count = list2_.Count();
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (i + 1 >= list2_.Count()) {
            break;  // a clear emptied the list while the check gave way
        }
        const std::string& a = list2_.Line(i);
        const std::string& b = list2_.Line(i + 1);
        if (a.compare(0, kMacTextLength, b, 0, kMacTextLength) == 0) {
            std::string pair = "  " + a + std::string(kPairJoin) + b;
            // A pair still shown in `List1` has been reported since the list was emptied.
            if (!list1_.WasReported(pair)) {
                std::string logged = Line(kDuplicateMessage) + "\t" + pair.substr(2);
                RaiseAlarm(kDuplicateMessage, pair,
                           AlarmFacts{AlarmKind::Duplicate, 0, {}, {}, a, b});
                list1_.MarkReported(pair);
                if (recordLog_) {
                    s_.log.AppendAlarmLine(logged);
                    s_.events.RequestImmediateReport();
                }
            }
        }
        s_.yielder.GiveWay();
        if (shutDown_) {
            return;
        }
    }
}

void WatchEngine::CheckOwnMacs() {
    const OwnAdapters& own = s_.adapters;
    for (int k = 0; k <= own.AdapterMax && k < OwnAdapters::kMaxAdapters; ++k) {
        const std::size_t count = list2_.Count();
        for (std::size_t j = 0; j < count && j < list2_.Count(); ++j) {
            const std::string& line = list2_.Line(j);
            if (!own.OwnMacList[k].empty() &&
                line.compare(0, kMacTextLength, own.OwnMacList[k]) == 0) {
                // Once per line until a clear empties both lists: the red list and the tray
                // keep reminding the user, and the log does not fill with repeats.
                std::string detail = "  " + line;
                if (!list1_.WasReported(detail)) {
                    std::string logged = Line(kBroadcastMessage) + "\t" + line;
                    RaiseAlarm(kBroadcastMessage, detail,
                               AlarmFacts{AlarmKind::Broadcast, 0, {}, {}, line, {}});
                    list1_.MarkReported(detail);
                    if (recordLog_) {
                        s_.log.AppendAlarmLine(logged);
                    }
                }
            }
            s_.yielder.GiveWay();
            if (shutDown_) {
                return;
            }
        }
    }
}

void WatchEngine::Command1_Click() {
    list1_.Reset();
    list1_.Add(Line(kClearedMessage));
    list2_.Clear();
    hosts_.Clear();
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
    if (recordLog_) {
        s_.log.AppendAlarmLine(Line(kEndMessage));
    }
}

}  // namespace kestrove
