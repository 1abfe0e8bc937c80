#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/settings/IniFile.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/WatchEngine.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

class RecordingEvents final : public WatchEvents {
public:
    void StartIconBlink() override { ++blinkStarts; }
    void StopIconBlink() override { ++blinkStops; }
    void RequestImmediateReport() override { ++immediateRequests; }
    void ScanActivity(bool scanning) override { activity.push_back(scanning); }
    void ViewsChanged() override { ++viewChanges; }

    int blinkStarts = 0;
    int blinkStops = 0;
    int immediateRequests = 0;
    int viewChanges = 0;
    std::vector<bool> activity;
};

// The fake clock's start time as alarm and log lines show it.
inline const std::string kStamp = "2007/05/05 14:03:09";

// "address text MAC text" per grid row.
inline std::vector<std::string> GridRows(const WatchEngine& engine) {
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < engine.Grid().Rows().size(); ++r) {
        rows.push_back(engine.Grid().AddressText(r) + " " + engine.Grid().MacText(r));
    }
    return rows;
}

// A watch engine over a real settings file and alarm log in a temporary program folder, with a
// fake ARP table, adapters, name service, clock, timers and give-way.
class WatchFixture : public ::testing::Test {
protected:
    WatchFixture();

    // One scan as the scan timer runs it.
    void Scan() { engine.ScanArpTable(); }
    // This computer's only adapter, 00-AA-BB-CC-DD-01, with the given address.
    void WatchAdapter(const char* ip, const char* mask) {
        adapterSource.list.clear();
        adapterSource.Add("eth0", "00-AA-BB-CC-DD-01", ip, mask);
        adapters.GetOwnAdapters(&settings);
    }
    std::string Log() const;  // the alarm log as UTF-8 text ("" when missing)
    std::vector<std::string> LogLines() const;
    std::vector<std::string> List1() const { return engine.List1().Lines(); }
    std::vector<std::string> List2() const { return engine.List2().Lines(); }

    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    FakeArpTable arp;
    FakeAdapters adapterSource;
    OwnAdapters adapters{adapterSource};
    FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    FakeClock clock;
    FakeTimerFactory timers{clock};
    RecordingEvents events;
    WatchEngine engine{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, events}};
};

}  // namespace kestrove::test
