#include <benchmark/benchmark.h>

#include "monitor/watch/HostsFile.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

// A /16 full of hosts: the largest table hosts.dat holds.
RememberedHosts FullTable() {
    RememberedHosts hosts;
    const std::uint8_t gateway[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    hosts.tables.push_back(HostsTable{
        {MakeIpv4(10, 0, 0, 0), MakeIpv4(255, 255, 0, 0), MacAddress::FromBytes(gateway, 6)},
        {},
        {}});
    for (std::uint32_t i = 0; i < RememberedHosts::kMaxHostsPerNetwork; ++i) {
        const std::uint8_t mac[6] = {
            0x02, 0, 0, 0, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
        hosts.tables[0].hosts.Put(RememberedHost{MakeIpv4(10, 0, 0, 0) + i,
                                                 MacAddress::FromBytes(mac, 6), 1700000000,
                                                 1700000000 + i});
    }
    return hosts;
}

// What a save costs at most every 10 s, against the text building alone as its floor.
void BM_HostsFileSerialize(benchmark::State& state) {
    RememberedHosts hosts = FullTable();
    for (auto _ : state) {
        benchmark::DoNotOptimize(hosts.Serialize());
    }
}
BENCHMARK(BM_HostsFileSerialize)->Unit(benchmark::kMillisecond);

void BM_HostsFileSave(benchmark::State& state) {
    test::TempFolder dir;
    HostsFile file = HostsFile::InFolder(dir.Path());
    RememberedHosts hosts = FullTable();
    for (auto _ : state) {
        if (!file.Save(hosts)) {
            state.SkipWithError("save failed");
            return;
        }
    }
}
BENCHMARK(BM_HostsFileSave)->Unit(benchmark::kMillisecond);

// The load at start-up.
void BM_HostsFileLoad(benchmark::State& state) {
    test::TempFolder dir;
    HostsFile file = HostsFile::InFolder(dir.Path());
    file.Save(FullTable());
    RememberedHosts hosts;
    for (auto _ : state) {
        if (file.Load(hosts) != HostsFile::LoadStatus::Loaded) {
            state.SkipWithError("load failed");
            return;
        }
    }
}
BENCHMARK(BM_HostsFileLoad)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrove
