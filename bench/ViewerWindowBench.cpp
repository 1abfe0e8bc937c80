// The wait a user has for the log viewer's window over a log of 200 MB: the window made with
// its box filled, against a floor measured in the same run: the file read and decoded once and
// handed to a bare box as one text, which no viewer built on that box can beat.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <memory>

#include "AlarmLogFile.h"
#include "MemoryPeak.h"
#include "common/FileBytes.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

using bench::AlarmLogFile;

template <typename Work>
void Measure(benchmark::State& state, Work work) {
    const AlarmLogFile& log = bench::SharedAlarmLog(static_cast<int>(state.range(0)));
    long peakKb = 0;
    for (auto _ : state) {
        bench::ResetPeakRss();
        long before = bench::StatusKb("VmRSS");
        work(log.path);
        peakKb = std::max(peakKb, bench::StatusKb("VmHWM") - before);
    }
    state.counters["log_MB"] = static_cast<double>(log.bytes) / 1e6;
    state.counters["peak_extra_MB"] = static_cast<double>(peakKb) / 1024.0;
}

void BM_BoxFloor_DecodeOnceIntoABareBox(benchmark::State& state) {
    Measure(state, [](const std::filesystem::path& path) {
        QPlainTextEdit box;
        box.setPlainText(QString::fromStdString(Cp932ToUtf8(ReadFileBytes(path).value_or(""))));
        benchmark::DoNotOptimize(box.document());
    });
}

void BM_frmLogOpen(benchmark::State& state) {
    Measure(state, [](const std::filesystem::path& path) {
        frmLog window(path);
        benchmark::DoNotOptimize(&window);
    });
}

BENCHMARK(BM_BoxFloor_DecodeOnceIntoABareBox)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_frmLogOpen)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(2);

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
