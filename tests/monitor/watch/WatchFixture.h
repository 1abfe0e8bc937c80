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

// A watch engine over a real settings file and alarm log in a temporary program folder, with a
// fake ARP table, adapters, name service, clock, timers and give-way.
class WatchFixture : public ::testing::Test {
protected:
    WatchFixture();

    // One scan as the scan timer runs it.
    void Scan() { engine.ScanArpTable(); }
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
    HookYielder yielder;
    RecordingEvents events;
    WatchEngine engine{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, yielder, events}};
};

}  // namespace kestrove::test
