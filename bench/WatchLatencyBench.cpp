// The watch engine on a real neighbour table in a namespace: how soon a MAC change reaches the
// alarm log, with the kernel's notifications and with polling alone, and what one poll cycle
// costs next to the raw table dump it starts with (the floor, measured in the same run).
#include <benchmark/benchmark.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>

#include "NeighbourTable.h"
#include "QuietEvents.h"
#include "monitor/settings/IniFile.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/WatchEngine.h"
#include "netinfo/linux/NetlinkArpTableSource.h"
#include "netinfo/linux/NetlinkNeighbourEvents.h"
#include "netinfo/linux/UniqueFd.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/NeighbourWriter.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using Steady = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The monitor's event loop without Qt: it waits for the neighbour notifications and hands
// them to the engine as they come.
class EventLoop {
public:
    void RunUntil(Steady::time_point until) {
        for (auto now = Steady::now(); now < until; now = Steady::now()) {
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now) + 1ms;
            pollfd ready{events ? events->Handle() : -1, POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(wait.count()));
            if (engine && events && (ready.revents & POLLIN) != 0) {
                engine->HearNeighbours(*events);
            }
            if (stop && stop()) {
                return;
            }
        }
    }
    void RunFor(std::chrono::milliseconds d) { RunUntil(Steady::now() + d); }

    WatchEngine* engine = nullptr;
    NeighbourEvents* events = nullptr;
    std::function<bool()> stop;
};

// An engine watching the table of `ns`, as the monitor's is put together, with its timers
// replaced by the benchmark's own schedule.
struct NamespaceEngine {
    NamespaceEngine(test::NetNamespace& ns, bool hear) {
        test::ScopedNetnsEnter inside(ns);
        arp = std::make_unique<NetlinkArpTableSource>();
        floor = std::make_unique<NetlinkArpTableSource>();
        if (hear) {
            notifications = std::make_unique<NetlinkNeighbourEvents>();
        }
        writer = std::make_unique<test::NeighbourWriter>();
        adapterSource.Add("eth0", "02-00-00-FF-FF-FF", "10.64.255.254", "255.192.0.0");
        adapters.GetOwnAdapters(nullptr);
        settings.WriteIni("Watch", "Change", "1");
        engine = std::make_unique<WatchEngine>(
            WatchServices{settings, log, *arp, adapters, hostNames, clock, timers, events});
        loop.engine = engine.get();
        loop.events = notifications.get();
    }

    bool Ready(std::size_t count) {
        engine->ScanArpTable();
        loop.RunFor(20ms);  // what the set-up itself announced
        return engine->HostCount() == count;
    }

    // One tick of the scan timer: scan, pause, and the interval before the next.
    Steady::time_point Tick() {
        engine->ScanArpTable();
        return Steady::now() + WatchEngine::kScanPause + WatchEngine::kScanInterval;
    }

    test::TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    std::unique_ptr<NetlinkArpTableSource> arp;
    std::unique_ptr<NetlinkArpTableSource> floor;
    std::unique_ptr<NetlinkNeighbourEvents> notifications;
    std::unique_ptr<test::NeighbourWriter> writer;
    test::FakeAdapters adapterSource;
    OwnAdapters adapters{adapterSource};
    test::FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    SystemClock clock;
    test::FakeClock timerClock;
    test::FakeTimerFactory timers{timerClock};
    EventLoop loop;
    bench::QuietEvents events;
    std::unique_ptr<WatchEngine> engine;
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

test::NetNamespace* TableOrSkip(benchmark::State& state, int count) {
    if (!test::HaveRoot()) {
        state.SkipWithError("needs root (network namespaces); skipped");
        return nullptr;
    }
    test::NetNamespace* ns = bench::CachedTable(count);
    if (!ns) {
        state.SkipWithError("could not load the neighbour table");
    }
    return ns;
}

// From the moment the kernel has taken a MAC change to the moment its alarm line is written,
// with the monitor's schedule (a scan every interval plus the pause) running all along.
// Changes fall at random moments of that schedule and on random entries.
void BM_ChangeToLog(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool hear = state.range(1) != 0;
    constexpr int kChanges = 20;
    test::NetNamespace* ns = TableOrSkip(state, count);
    if (!ns) {
        return;
    }
    NamespaceEngine watch(*ns, hear);
    if (hear && !watch.notifications->IsOpen()) {
        state.SkipWithError("no notification socket");
        return;
    }
    if (!watch.Ready(static_cast<std::size_t>(count))) {
        state.SkipWithError("the first scan did not record every host");
        return;
    }
    std::mt19937 random(20070505);
    std::vector<double> latencies;
    // The tables stay loaded for the whole run: every run writes MACs no earlier run wrote.
    static std::uint8_t run = 0;
    ++run;
    for (auto _ : state) {
        Steady::time_point nextScan = watch.Tick();
        auto runUntil = [&](Steady::time_point until, const std::function<bool()>& done) {
            watch.loop.stop = done;
            while (Steady::now() < until && !(done && done())) {
                watch.loop.RunUntil(std::min(until, nextScan));
                if (Steady::now() >= nextScan && !(done && done())) {
                    nextScan = watch.Tick();
                }
            }
            watch.loop.stop = nullptr;
        };
        latencies.clear();
        for (int k = 0; k < kChanges; ++k) {
            // A random moment of the schedule, so the wait for the next poll is fair.
            runUntil(Steady::now() + std::chrono::milliseconds(random() % 1200), nullptr);
            int index = static_cast<int>(random() % static_cast<unsigned>(count));
            const std::uint8_t mac[6] = {0x02,
                                         run,
                                         static_cast<std::uint8_t>(k),
                                         static_cast<std::uint8_t>(index >> 16),
                                         static_cast<std::uint8_t>(index >> 8),
                                         static_cast<std::uint8_t>(index)};
            const std::size_t before = watch.engine->List1().Count();
            if (!watch.writer->Replace(bench::TableAddress(index), mac)) {
                state.SkipWithError("the kernel refused the change");
                return;
            }
            const auto changed = Steady::now();
            auto logged = [&] { return watch.engine->List1().Count() > before; };
            runUntil(changed + 10s, logged);
            if (!logged()) {
                state.SkipWithError("a change was not logged within 10 s");
                return;
            }
            latencies.push_back(
                std::chrono::duration<double, std::milli>(Steady::now() - changed).count());
        }
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p95_ms"] = Percentile(latencies, 0.95);
    state.counters["max_ms"] = Percentile(latencies, 1.0);
}
BENCHMARK(BM_ChangeToLog)
    ->ArgsProduct({{256, 4096, 16384, 65536}, {1, 0}})
    ->ArgNames({"entries", "events"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// One poll cycle (dump, the engine's steps for every entry, the grid published) next to the raw
// dump alone, alternating in the same loop.
void BM_PollCycle(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    test::NetNamespace* ns = TableOrSkip(state, count);
    if (!ns) {
        return;
    }
    NamespaceEngine watch(*ns, true);
    if (!watch.Ready(static_cast<std::size_t>(count))) {
        state.SkipWithError("the first scan did not record every host");
        return;
    }
    std::vector<ArpEntry> entries;
    std::chrono::duration<double, std::micro> dump{0}, cycle{0};
    for (auto _ : state) {
        auto t0 = Steady::now();
        bool ok = watch.floor->Read(entries);
        benchmark::DoNotOptimize(ok);
        auto t1 = Steady::now();
        watch.engine->ScanArpTable();
        auto t2 = Steady::now();
        dump += t1 - t0;
        cycle += t2 - t1;
    }
    if (watch.engine->List1().Count() != 0) {
        state.SkipWithError("a steady table raised an alarm");
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["dump_us"] = dump.count() / n;
    state.counters["cycle_us"] = cycle.count() / n;
    state.counters["ratio"] = cycle.count() / dump.count();
}
BENCHMARK(BM_PollCycle)
    ->Arg(256)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->ArgName("entries")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrove
