// Cost of the log viewer's loading and saving over a log of 200 MB, against a floor measured in
// the same run: reading the file and decoding it once (CP932 to UTF-8), or encoding once for
// the save. The ratio is the figure to watch; times alone vary with the machine's load.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AlarmLogFile.h"
#include "MemoryPeak.h"
#include "common/Cp932.h"
#include "common/FileBytes.h"
#include "viewer/LogDocument.h"

namespace kestrove {
namespace {

using bench::AlarmLogFile;

void Report(benchmark::State& state, std::uintmax_t bytes, long peakKb) {
    state.counters["log_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_extra_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

template <typename Work>
void Measure(benchmark::State& state, std::uintmax_t bytes, Work work) {
    long peakKb = 0;
    for (auto _ : state) {
        bench::ResetPeakRss();
        long before = bench::StatusKb("VmRSS");
        work();
        peakKb = std::max(peakKb, bench::StatusKb("VmHWM") - before);
    }
    Report(state, bytes, peakKb);
}

void BM_LoadFloor_ReadAndDecodeOnce(benchmark::State& state) {
    const AlarmLogFile& log = bench::SharedAlarmLog(static_cast<int>(state.range(0)));
    Measure(state, log.bytes, [&] {
        std::string text = Cp932ToUtf8(ReadFileBytes(log.path).value_or(""));
        benchmark::DoNotOptimize(text);
    });
}

void BM_LogDocumentLoad(benchmark::State& state) {
    const AlarmLogFile& log = bench::SharedAlarmLog(static_cast<int>(state.range(0)));
    Measure(state, log.bytes, [&] {
        LogDocument doc(log.path);
        std::string box = doc.Load();
        benchmark::DoNotOptimize(box);
    });
}

void BM_SaveFloor_EncodeOnce(benchmark::State& state) {
    const AlarmLogFile& log = bench::SharedAlarmLog(static_cast<int>(state.range(0)));
    std::string box = LogDocument(log.path).Load();
    Measure(state, log.bytes, [&] {
        std::string bytes = Utf8ToCp932(box);
        benchmark::DoNotOptimize(bytes);
    });
}

void BM_FileFromBoxText(benchmark::State& state) {
    const AlarmLogFile& log = bench::SharedAlarmLog(static_cast<int>(state.range(0)));
    std::string box = LogDocument(log.path).Load();
    Measure(state, log.bytes, [&] {
        std::string bytes = logtext::FileFromBoxText(box);
        benchmark::DoNotOptimize(bytes);
    });
}

BENCHMARK(BM_LoadFloor_ReadAndDecodeOnce)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LogDocumentLoad)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveFloor_EncodeOnce)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FileFromBoxText)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kestrove
