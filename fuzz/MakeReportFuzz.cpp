// MakeReport over an arbitrary alarm log, for the whole log and every period: anyone on the
// machine can edit the log, so nothing in it may crash the builder or put markup of its own
// into the report. Every tag of a report must be one the builder writes itself. The streaming
// scan must find the period the search over the whole log finds, and rows cut from the CP932
// bytes must equal rows built from the decoded line.
#include <set>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "monitor/report/AlarmLogScan.h"
#include "monitor/report/ReportBuilder.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportDocument.h"
#include "monitor/report/ReportPeriod.h"
#include "monitor/report/ReportRows.h"

namespace kestrove::fuzz {
namespace {

namespace fs = std::filesystem;

class FixedClock final : public Clock {
public:
    TimePoint Now() const override { return FromLocalTime(LocalTime{2007, 5, 5, 14, 3, 9}); }
};

class NoBrowser final : public DocumentOpener {
public:
    void Open(const fs::path&) override {}
};

constexpr std::string_view kPeriods[] = {"None", "Hourly", "Daily", "Weekly", "Monthly"};

// The tags of a CP932 document; '<' and '>' never occur as the second byte of a double-byte
// character, so they are found byte by byte. A '<' without its '>' fails the check at once.
std::set<std::string> Tags(std::string_view html) {
    std::set<std::string> tags;
    for (std::size_t open = html.find('<'); open != html.npos; open = html.find('<', open + 1)) {
        std::size_t close = html.find('>', open);
        FUZZ_CHECK(close != html.npos);
        FUZZ_CHECK(html.find('<', open + 1) > close);
        tags.emplace(html.substr(open, close - open + 1));
    }
    return tags;
}

std::string ReadWhole(const fs::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    FUZZ_CHECK(file != nullptr);
    std::string bytes;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.append(buffer, n);
    }
    std::fclose(file);
    return bytes;
}

// The period's lines as the whole log gives them: from the start on, cut at CR LF, without the
// piece of a line that the start falls into the middle of.
std::vector<std::string> WholeLogPeriod(std::string_view log, std::string_view periodStart) {
    std::size_t start = FindPeriodStart(log, periodStart);
    bool midLine = start > 0 && (start < 2 || log.substr(start - 2, 2) != "\r\n");
    std::vector<std::string> lines;
    for (std::size_t pos = start; pos < log.size();) {
        std::size_t end = log.find("\r\n", pos);
        if (!(midLine && pos == start)) {
            std::string_view line = log.substr(pos, end == log.npos ? log.npos : end - pos);
            if (line.size() > kMaxLogLineBytes) {
                line = line.substr(0, Cp932PrefixLength(line, kMaxLogLineBytes));
            }
            lines.emplace_back(line);
        }
        pos = end == log.npos ? log.size() : end + 2;
    }
    return lines;
}

class RecordedLines final : public AlarmLogLines {
public:
    void Line(std::string_view line) override { lines.emplace_back(line); }
    void Restart() override {
        FUZZ_CHECK(!fixed_);
        lines.clear();
    }
    void StartFixed() override { fixed_ = true; }

    std::vector<std::string> lines;

private:
    bool fixed_ = false;
};

std::string DecodedRow(const RowCells& cells) {
    const RowMarkup& markup = Cp932RowMarkup();
    return markup.open + Utf8ToCp932(cells.time) + markup.timeToAddress +
           Utf8ToCp932(cells.address) + markup.addressToMac + Utf8ToCp932(cells.mac) + markup.close;
}

void CheckRows(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        MessageField field = FindMessageField(line);
        std::string row;
        switch (KindOf(line, field)) {
            case LineKind::Duplicate:
                AppendDuplicateRow(row, line, field);
                FUZZ_CHECK(row == DecodedRow(DuplicateCells(Cp932ToUtf8(line))));
                break;
            case LineKind::Change:
                AppendChangeRow(row, line, field);
                FUZZ_CHECK(row == DecodedRow(ChangeCells(Cp932ToUtf8(line))));
                break;
            case LineKind::Other:
                break;
        }
    }
}

class ReportRig {
public:
    ReportRig() : folder_("make-report"), builder_(folder_.Path(), clock_, browser_) {
        fs::create_directories(folder_.Path() / "log");
        fs::create_directories(folder_.Path() / "out");
        // A log with a row of each table gives every tag the builder ever writes.
        WriteLog(
            Utf8ToCp932("2007/05/05 14:00:00\tMACアドレスが変化しました\t(192.168.  0.  5:PC01) "
                        "00-11-22-33-44-55 -> 66-77-88-99-AA-BB\r\n"
                        "2007/05/05 14:00:01\t同一MACアドレスが重複しています\t00-11-22-33-44-55 "
                        "(192.168.  1.  5) と 00-11-22-33-44-55 (192.168.  1.  9)\r\n"));
        allowed_ = Tags(Make("None"));
    }

    void WriteLog(std::string_view bytes) {
        WriteWholeFile(folder_.Path() / "log" / "alart.log", bytes);
    }

    // The lines the streaming scan gives for a period start, checked against the whole log.
    std::vector<std::string> ScanPeriod(std::string_view log, std::string_view periodStart) {
        RecordedLines recorded;
        FUZZ_CHECK(ScanAlarmLog(folder_.Path() / "log" / "alart.log", periodStart, recorded) ==
                   AlarmLogScanStatus::Ok);
        FUZZ_CHECK(recorded.lines == WholeLogPeriod(log, periodStart));
        return recorded.lines;
    }

    std::string Make(std::string_view period) {
        fs::path dated = folder_.Path() / "out" / "Report_a.htm";
        ReportOutcome outcome = builder_.MakeReport(dated, false, false, period);
        FUZZ_CHECK(outcome.Built());
        FUZZ_CHECK(outcome.attachment == dated);
        std::string report = ReadWhole(folder_.Path() / "report.htm");
        FUZZ_CHECK(ReadWhole(dated) == report);
        return report;
    }

    void CheckTags(const std::string& report) const {
        for (const std::string& tag : Tags(report)) {
            if (allowed_.count(tag) == 0) {
                std::fprintf(stderr, "markup from the log: %s\n", tag.c_str());
                FUZZ_CHECK(allowed_.count(tag) != 0);
            }
        }
    }

private:
    ScratchFolder folder_;
    FixedClock clock_;
    NoBrowser browser_;
    ReportBuilder builder_;
    std::set<std::string> allowed_;
};

}  // namespace
}  // namespace kestrove::fuzz

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove::fuzz;
    static ReportRig rig;
    std::string_view log = AsText(data, size);
    rig.WriteLog(log);
    // Starts that stamps in the input can match in part.
    for (std::string_view start : {"2007/05/05 13:03:09", "2007/05/04 14:03:09", ""}) {
        CheckRows(rig.ScanPeriod(log, start));
    }
    for (std::string_view period : kPeriods) {
        std::string report = rig.Make(period);
        FUZZ_CHECK(report.ends_with("</html>\r\n\r\n"));
        rig.CheckTags(report);
    }
    return 0;
}
