#pragma once

#include <filesystem>

#include "monitor/report/ReportDocument.h"

namespace kestrove {

// Writes the document to a temporary file beside `path` and renames it over `path`, so a browser
// or mail step never sees half a report. False when any step failed; `path` is then unchanged.
bool WriteReportFile(const std::filesystem::path& path, const ReportDocument& document);

}  // namespace kestrove
