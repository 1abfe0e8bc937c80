// Cost of one report over a large alarm log: time, and the peak memory it takes on top of
// what the process held before.
#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "MemoryPeak.h"
#include "common/Cp932.h"
#include "common/TimeFormat.h"
#include "monitor/report/ReportBuilder.h"
#include "testsupport/FakeClock.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

class NoBrowser final : public DocumentOpener {
public:
    void Open(const std::filesystem::path&) override {}
};

// A log of `lines` lines of about 100 bytes, one every 3 s. In a log "under attack" 8 lines in
// 10 are alarms (a long-running monitor on a poisoned LAN); in a "quiet" one 2 in 100 are, the
// rest being what the monitor logs of itself (starts, ends, clears, mail errors, its own MAC
// heard). The clock ends one second after the last line.
enum LogKind { kUnderAttack = 0, kQuiet = 1 };

struct BenchLog {
    test::TempFolder folder;
    test::FakeClock clock;
    std::uintmax_t bytes = 0;
};

std::string LogLine(int i, const LocalTime& at, LogKind kind) {
    std::string stamp = FormatLogStamp(at);
    std::string n = std::to_string(i % 250 + 1);
    int slot = kind == kUnderAttack ? i % 10 : (i % 100 == 0 ? 0 : i % 100 == 50 ? 5 : 8 + i % 5);
    switch (slot) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            return stamp + "\tMACアドレスが変化しました\t(192.168.  1.  " + n + ":PC" + n +
                   ") 00-11-22-33-44-55 -> 66-77-88-99-AA-BB";
        case 5:
        case 6:
        case 7:
            return stamp + "\t同一MACアドレスが重複しています\t00-11-22-33-44-55 (192.168.  1.  " +
                   n + ") と 00-11-22-33-44-55 (192.168.  1.  9)";
        case 8:
            return stamp +
                   "\tこのPCのMACアドレスがブロードキャストされました\t00-AA-BB-CC-DD-01 "
                   "(192.168.  1. 66)";
        case 10:
            return stamp + "\tプログラムを開始しました\tKestrove 2.0 eth0 192.168.1.66";
        case 11:
            return stamp + "\tプログラムを終了しました";
        case 12:
            return stamp + "\tアラームをクリアしました";
        default:
            return stamp + "\tレポートメール送信エラー：could not connect to 192.168.1.25";
    }
}

BenchLog& LogOf(int lines, LogKind kind) {
    static std::map<std::pair<int, LogKind>, std::unique_ptr<BenchLog>> logs;
    auto& log = logs[{lines, kind}];
    if (log) {
        return *log;
    }
    log = std::make_unique<BenchLog>();
    std::filesystem::create_directories(log->folder / "log");
    std::filesystem::create_directories(log->folder / "out");
    TimePoint t = FromLocalTime(LocalTime{2007, 1, 1, 0, 0, 0});
    std::ofstream out(log->folder / "log" / "alart.log", std::ios::binary);
    std::string chunk;
    for (int i = 0; i < lines; ++i, t += std::chrono::seconds(3)) {
        chunk += Utf8ToCp932(LogLine(i, ToLocalTime(t), kind));
        chunk += "\r\n";
        if (chunk.size() > (1 << 20)) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
    out.close();
    log->clock.Set(t);
    log->bytes = std::filesystem::file_size(log->folder / "log" / "alart.log");
    return *log;
}

using bench::ResetPeakRss;
using bench::StatusKb;

void MakeReportOnLog(benchmark::State& state, const char* period) {
    BenchLog& log = LogOf(static_cast<int>(state.range(0)), static_cast<LogKind>(state.range(1)));
    NoBrowser browser;
    ReportBuilder builder(log.folder.Path(), log.clock, browser);
    long peakKb = 0;
    int run = 0;
    double userMs = 0;
    double systemMs = 0;
    for (auto _ : state) {
        // Every report gets a dated copy of a name of its own, as the stamp in real names gives;
        // report.htm is replaced each time.
        std::filesystem::path dated =
            log.folder / "out" / ("Report_bench" + std::to_string(run++) + ".htm");
        ResetPeakRss();
        long before = StatusKb("VmRSS");
        bench::CpuMs cpuBefore = bench::ProcessCpuMs();
        ReportOutcome outcome = builder.MakeReport(dated, false, false, period);
        benchmark::DoNotOptimize(outcome);
        bench::CpuMs cpuAfter = bench::ProcessCpuMs();
        userMs += cpuAfter.user - cpuBefore.user;
        systemMs += cpuAfter.system - cpuBefore.system;
        peakKb = std::max(peakKb, StatusKb("VmHWM") - before);
        state.PauseTiming();
        std::filesystem::remove(dated);
        state.ResumeTiming();
    }
    state.counters["log_MB"] = static_cast<double>(log.bytes) / 1e6;
    state.counters["report_MB"] =
        static_cast<double>(std::filesystem::file_size(log.folder / "report.htm")) / 1e6;
    state.counters["peak_extra_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["user_ms"] = userMs / static_cast<double>(state.iterations());
    state.counters["kernel_ms"] = systemMs / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.bytes));
}

// The floor a report is measured against: one plain pass that reads the log, splits it into
// lines and picks each line's alarm kind from its message field, in CP932 as it is stored.
struct KindCounts {
    std::size_t duplicates = 0;
    std::size_t changes = 0;
};

const std::string& Cp932Of(std::string_view utf8) {
    static std::map<std::string, std::string, std::less<>> texts;
    auto it = texts.find(utf8);
    if (it == texts.end()) {
        it = texts.emplace(std::string(utf8), Utf8ToCp932(utf8)).first;
    }
    return it->second;
}

void CountKind(std::string_view line, KindCounts& counts) {
    constexpr std::size_t kMessageStart = 20;
    static const std::string& duplicate = Cp932Of("同一MACアドレスが重複しています");
    static const std::string& change = Cp932Of("MACアドレスが変化しました");
    if (line.size() < kMessageStart) {
        return;
    }
    std::string_view message = line.substr(kMessageStart);
    message = message.substr(0, message.find('\t'));
    counts.duplicates += message == duplicate;
    counts.changes += message == change;
}

// With std::getline, the way a first version would be written.
KindCounts FloorByGetline(const std::filesystem::path& log) {
    KindCounts counts;
    std::ifstream in(log, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        CountKind(line, counts);
    }
    return counts;
}

// Reading a megabyte at a time and cutting lines in place: the least a pass over the log costs.
KindCounts FloorByPieces(const std::filesystem::path& log) {
    KindCounts counts;
    std::ifstream in(log, std::ios::binary);
    std::string buffer;
    std::string piece(1 << 20, '\0');
    while (true) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        auto got = static_cast<std::size_t>(in.gcount());
        buffer.append(piece.data(), got);
        std::string_view rest = buffer;
        for (std::size_t end; (end = rest.find("\r\n")) != std::string_view::npos;) {
            CountKind(rest.substr(0, end), counts);
            rest.remove_prefix(end + 2);
        }
        if (got == 0) {
            CountKind(rest, counts);
            return counts;
        }
        buffer.erase(0, buffer.size() - rest.size());
    }
}

void FloorOnLog(benchmark::State& state, KindCounts (*pass)(const std::filesystem::path&)) {
    BenchLog& log = LogOf(static_cast<int>(state.range(0)), static_cast<LogKind>(state.range(1)));
    for (auto _ : state) {
        KindCounts counts = pass(log.folder / "log" / "alart.log");
        benchmark::DoNotOptimize(counts);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.bytes));
}

void BM_FloorGetline(benchmark::State& state) {
    FloorOnLog(state, FloorByGetline);
}
void BM_FloorPieces(benchmark::State& state) {
    FloorOnLog(state, FloorByPieces);
}

// Not a floor of the goal, but what the report cannot go below: writing as many bytes as its
// document holds to two files (report.htm and the dated copy), in the same batches.
void BM_WriteReportBytesTwice(benchmark::State& state) {
    BenchLog& log = LogOf(static_cast<int>(state.range(0)), static_cast<LogKind>(state.range(1)));
    std::filesystem::path report = log.folder / "report.htm";
    if (!std::filesystem::exists(report)) {
        NoBrowser browser;
        ReportBuilder(log.folder.Path(), log.clock, browser)
            .MakeReport(log.folder / "out" / "Report_first.htm", false, false, "None");
    }
    auto bytes = static_cast<std::size_t>(std::filesystem::file_size(report));
    std::string batch(256 * 1024, 'x');
    for (auto _ : state) {
        // As a report does: one file replaced, one new.
        for (const char* name : {"copy1.htm", "copy2.htm"}) {
            std::ofstream out(log.folder / "out" / name, std::ios::binary | std::ios::trunc);
            for (std::size_t done = 0; done < bytes; done += batch.size()) {
                out.write(batch.data(),
                          static_cast<std::streamsize>(std::min(batch.size(), bytes - done)));
            }
        }
        state.PauseTiming();
        std::filesystem::remove(log.folder / "out" / "copy2.htm");
        state.ResumeTiming();
    }
    state.counters["report_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_MakeReportWholeLog(benchmark::State& state) {
    MakeReportOnLog(state, "None");
}
void BM_MakeReportLastHour(benchmark::State& state) {
    MakeReportOnLog(state, "Hourly");
}

// Lines, and the log's kind (0 under attack, 1 quiet).
void LogSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"lines", "quiet"});
    for (int kind : {kUnderAttack, kQuiet}) {
        for (int lines : {100000, 1000000}) {
            b->Args({lines, kind});
        }
    }
    b->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(BM_FloorGetline)->Apply(LogSizes);
BENCHMARK(BM_FloorPieces)->Apply(LogSizes);
BENCHMARK(BM_WriteReportBytesTwice)->Apply(LogSizes);
BENCHMARK(BM_MakeReportWholeLog)->Apply(LogSizes);
BENCHMARK(BM_MakeReportLastHour)->Apply(LogSizes);

}  // namespace
}  // namespace kestrove
