#pragma once

#include <filesystem>

#include "common/LocalTime.h"
#include "common/SettingsStore.h"

namespace kestrove {

// Where a report made at `now` is stored: `[Report] SaveTo` (or the program's "log" folder when
// that is empty) and "Report_yyyy-mm-dd_hh-mm-ss.htm". One separator stands between folder
// and name, also when the setting already ends with one.
std::filesystem::path DatedReportPath(const SettingsStore& settings,
                                      const std::filesystem::path& dataFolder,
                                      const LocalTime& now);

// The archive beside a dated report: its path up to and including the last "." of the file
// name, then "zip".
std::filesystem::path ArchivePath(const std::filesystem::path& reportPath);

// "report.htm" in the data folder, rewritten by every report.
std::filesystem::path WorkingReportPath(const std::filesystem::path& dataFolder);

}  // namespace kestrove
