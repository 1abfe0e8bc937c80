// CPU of a burst of 16,384 MAC-change alarms drawn by the real main window (offscreen), against
// the same burst raised by the engine alone in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <memory>

#include "monitor/settings/IniFile.h"
#include "monitor/ui/MainWindow.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/WatchEngine.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

constexpr int kHosts = 16384;

std::string HostMac(int prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "02-00-00-%02X-%02X-%02X", prefix, (i >> 8) & 0xFF, i & 0xFF);
    return text;
}

std::string HostIp(int i) {
    return "192.168." + std::to_string(100 + i / 200) + "." + std::to_string(1 + i % 200);
}

// The engine on fakes; the window's events run after each burst, as the event loop runs them
// after the scan's handler. With `window`, the main window draws every change.
class Burst final : public WatchEvents {
public:
    explicit Burst(bool window) {
        adapterSource.Add("eth0", "00-AA-BB-CC-DD-01", "192.168.1.5", "255.255.0.0");
        adapters.GetOwnAdapters(&settings);
        for (int i = 0; i < kHosts; ++i) {
            arp.Put(HostIp(i), HostMac(0, i));
        }
        if (window) {
            window_ = std::make_unique<MainWindow>(engine, settings);
            window_->show();
        }
        engine.ScanArpTable();
        Flush();
    }
    // Every host answers with a new MAC; one scan raises an alarm for each.
    void Raise(int round) {
        for (int i = 0; i < kHosts; ++i) {
            // A MAC of its own each round: a host flipping between two MACs would be counted
            // rather than logged after its first changes.
            arp.table[static_cast<std::size_t>(i)].mac = test::Mac(HostMac(1 + round % 250, i));
        }
        engine.ScanArpTable();
        Flush();
    }
    std::size_t Rows() const { return engine.List1().Count(); }

    void StartIconBlink() override {}
    void StopIconBlink() override {}
    void RequestImmediateReport() override {}
    void ScanActivity(bool) override {}
    void ViewsChanged() override {
        if (window_) {
            window_->ViewsChanged();
        }
    }

private:
    void Flush() {
        if (window_) {
            window_->RefreshViews();
        }
        QApplication::processEvents();
    }

    test::TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    test::FakeArpTable arp;
    test::FakeAdapters adapterSource;
    OwnAdapters adapters{adapterSource};
    test::FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    test::FakeClock clock;
    test::FakeTimerFactory timers{clock};
    WatchEngine engine{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, *this}};
    std::unique_ptr<MainWindow> window_;
};

void RunBurst(benchmark::State& state, bool window) {
    Burst burst(window);
    int round = 1;
    // Without a clear in between, so every round changes every host again and List1 (red
    // since the first) grows by two lines per alarm.
    std::size_t before = burst.Rows();
    for (auto _ : state) {
        burst.Raise(round++);
    }
    state.counters["lines_per_round"] =
        static_cast<double>(burst.Rows() - before) / static_cast<double>(state.iterations());
}

void BM_AlarmBurstEngineOnly(benchmark::State& state) {
    RunBurst(state, false);
}
void BM_AlarmBurstThroughWindow(benchmark::State& state) {
    RunBurst(state, true);
}

BENCHMARK(BM_AlarmBurstEngineOnly)
    ->MeasureProcessCPUTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlarmBurstThroughWindow)
    ->MeasureProcessCPUTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrove

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
