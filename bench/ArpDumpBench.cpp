#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <memory>

#include "netinfo/linux/NetlinkArpTableSource.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/RunCommand.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

// A namespace whose neighbour table holds `count` permanent entries on veth0.
std::unique_ptr<test::NetNamespace> NamespaceWithEntries(int count) {
    auto ns = std::make_unique<test::NetNamespace>("bench");
    ns->Ip({"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"});
    ns->Ip({"link", "set", "veth0", "up"});
    test::TempFolder dir;
    std::ofstream batch(dir / "neigh.batch");
    for (int i = 0; i < count; ++i) {
        int a = i >> 16, b = (i >> 8) & 0xFF, c = i & 0xFF;
        batch << "neigh replace 10." << 64 + a << '.' << b << '.' << c
              << " lladdr 02:00:00:" << std::hex << a << ':' << b << ':' << c << std::dec
              << " dev veth0 nud permanent\n";
    }
    batch.close();
    if (test::RunCommand({"ip", "-n", ns->Name(), "-batch", (dir / "neigh.batch").string()}) != 0) {
        return nullptr;
    }
    return ns;
}

// Google Benchmark calls a benchmark several times while it settles the iteration count; the
// loaded namespaces are kept for the whole run (and removed at exit) so each is loaded once.
test::NetNamespace* CachedNamespace(int count) {
    static std::map<int, std::unique_ptr<test::NetNamespace>> loaded;
    auto& ns = loaded[count];
    if (!ns) {
        ns = NamespaceWithEntries(count);
    }
    return ns.get();
}

// The cost of one read of the whole table, per entry: the scan pays it every second.
void BM_NetlinkArpRead(benchmark::State& state) {
    if (!test::HaveRoot()) {
        state.SkipWithError("needs root (network namespaces); skipped");
        return;
    }
    const auto count = static_cast<std::size_t>(state.range(0));
    test::NetNamespace* ns = CachedNamespace(static_cast<int>(count));
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
BENCHMARK(BM_NetlinkArpRead)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrove
