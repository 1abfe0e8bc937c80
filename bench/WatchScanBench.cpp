#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "QuietEvents.h"
#include "monitor/settings/IniFile.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/HostMemory.h"
#include "monitor/watch/WatchEngine.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

// An engine over an in-memory table of `count` hosts, with the same addresses and MACs as the
// neighbour-table benchmark, all inside the watched subnet. The kernel hands its table out in
// hash order, so the entries are shuffled (with a fixed seed) rather than sorted.
class ScanBench {
public:
    explicit ScanBench(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            auto a = static_cast<std::uint8_t>(i >> 16);
            auto b = static_cast<std::uint8_t>(i >> 8);
            auto c = static_cast<std::uint8_t>(i);
            const std::uint8_t mac[6] = {0x02, 0, 0, a, b, c};
            arp.table.push_back({MakeIpv4(10, static_cast<std::uint8_t>(64 + a), b, c),
                                 MacAddress::FromBytes(mac, 6)});
        }
        std::shuffle(arp.table.begin(), arp.table.end(), std::mt19937(20070505));
        adapterSource.Add("eth0", "02-00-00-FF-FF-FF", "10.64.255.254", "255.192.0.0");
        adapters.GetOwnAdapters(nullptr);
        settings.WriteIni("Watch", "Change", "1");
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
    bench::QuietEvents events;
    WatchEngine engine{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, events}};
};

void ReportPerEntry(benchmark::State& state, std::size_t count) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.counters["per_entry"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The steady state, once a second for as long as the monitor runs: every host already known.
void BM_WatchScanKnownHosts(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    ScanBench bench(count);
    bench.engine.ScanArpTable();
    if (bench.engine.HostCount() != count || bench.engine.Grid().Rows().size() != count) {
        state.SkipWithError("the first scan did not record every host");
        return;
    }
    for (auto _ : state) {
        bench.engine.ScanArpTable();
    }
    if (bench.engine.List1().Count() != 0) {
        state.SkipWithError("a steady table raised an alarm");
    }
    ReportPerEntry(state, count);
}
BENCHMARK(BM_WatchScanKnownHosts)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

// The first scan after start-up or a clear records every host. The window draws `List2` right
// after the scan, which sorts it, so that sort is counted too.
void BM_WatchScanFirstSight(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    ScanBench bench(count);
    for (auto _ : state) {
        state.PauseTiming();
        bench.engine.Command1_Click();
        state.ResumeTiming();
        bench.engine.ScanArpTable();
        benchmark::DoNotOptimize(bench.engine.List2().Entries().data());
    }
    if (bench.engine.HostCount() != count || bench.engine.List2().Count() != count) {
        state.SkipWithError("the scan did not record every host");
    }
    ReportPerEntry(state, count);
    // The host table, its MAC index and `List2`, counted in bytes.
    state.counters["table_bytes_per_host"] =
        static_cast<double>(bench.engine.Bytes()) / static_cast<double>(count);
}
BENCHMARK(BM_WatchScanFirstSight)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

// The steady scan with the host memory following it (last sights, no save due): against
// BM_WatchScanKnownHosts of the same run, the share the memory adds to every scan.
void BM_WatchScanKnownHostsRemembered(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    ScanBench bench(count);
    OuiRegistry vendors("/nonexistent");
    HostMemory memory(bench.settings, bench.clock, HostsFile::InFolder(bench.dir.Path()), vendors);
    memory.Start(bench.adapters.WatchIP, bench.adapters.WatchMask, 0, bench.arp.table);
    bench.engine.SetMemory(&memory);
    bench.engine.ScanArpTable();
    if (memory.Current().hosts.Size() != count) {
        state.SkipWithError("the memory did not follow every host");
        return;
    }
    for (auto _ : state) {
        bench.engine.ScanArpTable();
    }
    ReportPerEntry(state, count);
}
BENCHMARK(BM_WatchScanKnownHostsRemembered)
    ->Arg(256)
    ->Arg(4096)
    ->Arg(65536)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrove
