// The CPU cost of watching the neighbour table on Windows: the 50 ms poll that stands in for the
// notifications Windows lacks, beside Timer1's scan once a second, both through the watch
// engine over the real IP Helper table. neighbour_poll_cost.py runs it under Wine in a network
// namespace holding a table of a chosen size and adds the CPU time of Wine's own processes,
// which answer the table calls.
//   neighbour_poll_cost MODE SECONDS    MODE: idle | scan | poll | both
// Prints "MODE entries=N seconds=S cpu_ms=C reads=R" with this process's CPU time.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "../QuietEvents.h"
#include "monitor/settings/IniFile.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/WatchEngine.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NetInfoPlatform.h"
#include "netinfo/OwnAdapters.h"
#include "netinfo/PolledNeighbourEvents.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

double ProcessCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

int Run(const std::string& mode, int seconds) {
    test::TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    settings.WriteIni("Watch", "Change", "1");
    AlarmLog log{dir.Path()};
    std::unique_ptr<ArpTableSource> table = CreateArpTableSource();
    std::unique_ptr<AdapterSource> adapterSource = CreateAdapterSource();
    OwnAdapters adapters{*adapterSource};
    adapters.GetOwnAdapters(nullptr);
    test::FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    // The engine's own timers are not used: this loop keeps Timer1's time and the poll's.
    test::FakeClock clock;
    test::FakeTimerFactory timers{clock};
    bench::QuietEvents events;
    WatchEngine engine{
        WatchServices{settings, log, *table, adapters, hostNames, clock, timers, events}};
    PolledNeighbourEvents polled(CreateArpTableSource(), 50ms);

    // Both start from the whole table, as in the monitor.
    engine.ScanArpTable();
    engine.HearNeighbours(polled);
    std::size_t entries = engine.Grid().Rows().size();

    const bool scan = mode == "scan" || mode == "both";
    const bool poll = mode == "poll" || mode == "both";
    double before = ProcessCpuMilliseconds();
    auto start = std::chrono::steady_clock::now();
    auto nextScan = start + 1s;
    auto nextPoll = start + 50ms;
    auto end = start + std::chrono::seconds(seconds);
    int reads = 0;
    while (std::chrono::steady_clock::now() < end) {
        auto now = std::chrono::steady_clock::now();
        if (scan && now >= nextScan) {
            engine.ScanArpTable();
            ++reads;
            nextScan += 1s;
        }
        if (poll && now >= nextPoll) {
            engine.HearNeighbours(polled);
            ++reads;
            // As the monitor's notifier does: the next poll an interval after this one ended.
            nextPoll = std::chrono::steady_clock::now() + polled.PollInterval();
        }
        std::this_thread::sleep_for(1ms);
    }
    double cpu = ProcessCpuMilliseconds() - before;
    std::printf("%s entries=%zu seconds=%d cpu_ms=%.1f reads=%d interval_ms=%lld alarms=%zu\n",
                mode.c_str(), entries, seconds, cpu, reads,
                static_cast<long long>(polled.PollInterval().count()),
                engine.List1().Lines().size());
    engine.Shutdown();
    return 0;
}

}  // namespace
}  // namespace kestrove

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: neighbour_poll_cost idle|scan|poll|both SECONDS\n");
        return 2;
    }
    return kestrove::Run(argv[1], std::atoi(argv[2]));
}
