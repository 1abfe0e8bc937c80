#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace kestrove {

enum class AlarmLogScanStatus { Ok, Missing, Unreadable };

// The most of one line that is handed on: a line of the monitor's is a few hundred bytes, and
// one far longer (a log edited into LF line ends is one line) must not make memory grow with
// the log. Longer lines are cut there, never inside a double-byte character.
inline constexpr std::size_t kMaxLogLineBytes = 1024 * 1024 - 2;

// Receives the lines of the report period, as CP932 without their CR LF.
class AlarmLogLines {
public:
    virtual ~AlarmLogLines() = default;
    virtual void Line(std::string_view line) = 0;
    // The period begins later than the lines given so far: forget them.
    virtual void Restart() = 0;
    // No Restart() comes any more.
    virtual void StartFixed() = 0;
};

// Reads the alarm log once, a megabyte at a time, and hands the period's lines to `lines` as
// they go by. The period begins at the first occurrence of the longest prefix of
// `periodStart` that the log holds (see PeriodStartSearch; the whole log when `periodStart` is
// empty); since that is only certain at the end, lines from a shorter prefix's first occurrence
// on are given and taken back by Restart() when a longer prefix turns up later. A line that the
// start falls into the middle of is no line of the log and is not given. When not even the
// date occurs, the period is the whole log, which is then read once more from the start.
//
// A log that is no regular file or fails while being read is Unreadable; the lines given are
// then incomplete.
AlarmLogScanStatus ScanAlarmLog(const std::filesystem::path& log, std::string_view periodStart,
                                AlarmLogLines& lines);

}  // namespace kestrove
