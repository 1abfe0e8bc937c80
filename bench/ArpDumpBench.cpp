#include <benchmark/benchmark.h>

#include <memory>

#include "NeighbourTable.h"
#include "netinfo/linux/NetlinkArpTableSource.h"
#include "testsupport/NetNamespace.h"

namespace kestrove {
namespace {

// The cost of one read of the whole table, per entry: the scan pays it every second.
void BM_NetlinkArpRead(benchmark::State& state) {
    if (!test::HaveRoot()) {
        state.SkipWithError("needs root (network namespaces); skipped");
        return;
    }
    const auto count = static_cast<std::size_t>(state.range(0));
    test::NetNamespace* ns = bench::CachedTable(static_cast<int>(count));
    if (!ns) {
        state.SkipWithError("could not load the neighbour table");
        return;
    }
    std::unique_ptr<NetlinkArpTableSource> source;
    {
        test::ScopedNetnsEnter inside(*ns);
        source = std::make_unique<NetlinkArpTableSource>();
    }
    std::vector<ArpEntry> entries;
    if (!source->Read(entries) || entries.size() != count) {
        state.SkipWithError("the table read back is incomplete");
        return;
    }
    for (auto _ : state) {
        bool ok = source->Read(entries);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.counters["per_entry"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NetlinkArpRead)
    ->Arg(256)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrove
