// The streaming scan against the search over the whole log held in memory: the same period
// start for every log, also for logs out of time order and for stamps quoted inside other lines.
#include "monitor/report/AlarmLogScan.h"

#include <gtest/gtest.h>

#include <random>

#include "ReportFixture.h"
#include "monitor/report/ReportPeriod.h"

namespace kestrove::test {
namespace {

// Keeps the lines the scan gives and forgets them when it takes them back.
class RecordedLines final : public AlarmLogLines {
public:
    void Line(std::string_view line) override { lines.emplace_back(line); }
    void Restart() override {
        EXPECT_FALSE(fixed_) << "taken back after the start was fixed";
        lines.clear();
    }
    void StartFixed() override { fixed_ = true; }

    std::vector<std::string> lines;

private:
    bool fixed_ = false;
};

// What the period is when the log is held whole: its text from the start on, cut at CR LF,
// without the piece of a line that the start falls into the middle of.
std::vector<std::string> WholeLogPeriod(const std::string& log, std::string_view periodStart) {
    std::size_t start = FindPeriodStart(log, periodStart);
    bool midLine = start > 0 && (start < 2 || log.compare(start - 2, 2, "\r\n") != 0);
    std::vector<std::string> lines;
    std::size_t pos = start;
    while (pos < log.size()) {
        std::size_t end = log.find("\r\n", pos);
        std::string line =
            log.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!(midLine && pos == start)) {
            lines.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        pos = end + 2;
    }
    return lines;
}

using AlarmLogScanTest = ReportFixture;

TEST_F(AlarmLogScanTest, SameStartAsTheWholeLogSearchOnHostileLogs) {
    std::mt19937 random(5);
    const std::string_view stamps[] = {
        "2007/05/05 13:17:25", "2007/05/05 13:17:29", "2007/05/05 13:17:00", "2007/05/05 13:10:00",
        "2007/05/05 13:00:00", "2007/05/05 12:00:00", "2007/05/05 ",         "2007/05/04 13:17:25",
        "2007/05/05 13:1",     "2007/05/05 13:17:2"};
    const std::string_view starts[] = {"2007/05/05 13:17:25", "2007/05/05 13:40:00",
                                       "2007/05/05 09:00:00", "2007/05/03 09:00:00", ""};
    for (int round = 0; round < 200; ++round) {
        std::string log;
        int lines = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < lines; ++i) {
            log += stamps[random() % std::size(stamps)];
            switch (random() % 4) {
                case 0:  // a mail error quoting a stamp
                    log += "\t\x83\x8C\x83\x7C\x81\x5B\x83\x67 550 ";
                    log += stamps[random() % std::size(stamps)];
                    break;
                case 1:  // two stamps glued together, or a stamp cut by a line end
                    log += stamps[random() % std::size(stamps)];
                    break;
                case 2:
                    log += std::string(random() % 3, '\r');
                    break;
                default:
                    log += "\tx";
            }
            if (random() % 8 != 0) {
                log += "\r\n";
            }
        }
        // Some logs are long enough to be read in several pieces.
        if (round % 50 == 0) {
            log = std::string(1024 * 1024 - 7, '.') + "\r\n" + log;
        }
        WriteLogBytes(log);
        for (std::string_view start : starts) {
            RecordedLines recorded;
            ASSERT_EQ(ScanAlarmLog(LogPath(), start, recorded), AlarmLogScanStatus::Ok);
            ASSERT_EQ(recorded.lines, WholeLogPeriod(log, start))
                << "round " << round << " start " << start;
        }
    }
}

TEST_F(AlarmLogScanTest, LinesLongerThanAPieceAreCutButSearchedWhole) {
    // A log edited into LF line ends is one long line: it is handed on by its head, and a stamp
    // far inside it still decides where the period begins.
    const std::string stamp = "2007/05/05 13:17:25";
    const std::string filler(3 * 1024 * 1024, 'x');
    const std::string longLine = stamp + "\t" + filler;
    const std::string head = longLine.substr(0, kMaxLogLineBytes);
    const std::string withStampInside = "2007/05/04 10:00:00\t" + filler + stamp + "x";
    const std::string last = "2007/05/05 13:17:26\tlast";
    const struct {
        std::string log;
        std::vector<std::string> lines;
    } cases[] = {
        {longLine + "\r\n" + last, {head, last}},
        {"\r\n" + longLine + "\r\n" + last, {head, last}},
        {withStampInside + "\r\n" + last, {last}},
        {last + "\r\n" + longLine, {last, head}},
        {std::string(1024 * 1024 - 1, '.') + "\r\n" + longLine + "\r\n" + last, {head, last}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        WriteLogBytes(c.log);
        RecordedLines recorded;
        ASSERT_EQ(ScanAlarmLog(LogPath(), stamp, recorded), AlarmLogScanStatus::Ok);
        // Compared whole, not printed: the lines are megabytes long.
        EXPECT_TRUE(recorded.lines == c.lines)
            << "case " << i << ": " << recorded.lines.size() << " lines, the first "
            << (recorded.lines.empty() ? 0 : recorded.lines[0].size()) << " bytes";
    }
}

TEST_F(AlarmLogScanTest, MissingAndUnreadableLogs) {
    RecordedLines recorded;
    EXPECT_EQ(ScanAlarmLog(LogPath(), "", recorded), AlarmLogScanStatus::Missing);
    std::filesystem::create_directories(LogPath());
    EXPECT_EQ(ScanAlarmLog(LogPath(), "", recorded), AlarmLogScanStatus::Unreadable);
}

}  // namespace
}  // namespace kestrove::test
