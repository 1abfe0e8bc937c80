#pragma once

#include <filesystem>
#include <string_view>

#include "monitor/report/ReportFindings.h"

namespace kestrove {

enum class AlarmLogScanStatus { Ok, Missing, Unreadable };

// Reads the alarm log in pieces of a megabyte: first up to where the period begins (the
// whole log when `periodStart` is empty), then the period's lines into `findings`. Memory stays
// the same however long the log has grown. A log that is no regular file or fails while being
// read is Unreadable; `findings` are then incomplete.
AlarmLogScanStatus ScanAlarmLog(const std::filesystem::path& log, std::string_view periodStart,
                                ReportFindings& findings);

}  // namespace kestrove
