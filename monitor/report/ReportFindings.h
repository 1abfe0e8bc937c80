#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "monitor/report/AlarmLogScan.h"
#include "monitor/report/LineSpool.h"
#include "monitor/report/ReportFile.h"

namespace kestrove {

// The result cell of the report, built from the period's lines as they go by: duplicate rows
// are written into the document at once when the period's start is certain; change lines
// (whose table comes second) and lines of a start not yet certain wait in spools.
class ReportFindings final : public AlarmLogLines {
public:
    // `scratchFolder` holds the spools' scratch files when rows outgrow memory.
    ReportFindings(ReportFile& file, const std::filesystem::path& scratchFolder);

    void Line(std::string_view line) override;
    void Restart() override;
    void StartFixed() override { startFixed_ = true; }

    // Writes the result: the sections, or the no-findings text. False when a spool failed.
    bool Finish();

    std::size_t DupCount() const { return dupWritten_ + dupLines_.Lines(); }
    std::size_t ChangeCount() const { return changeLines_.Lines(); }

private:
    ReportFile& file_;
    LineSpool dupLines_;
    LineSpool changeLines_;
    // The IPv6, router and gateway lines, one spool per kind; their sections follow the
    // change section only when they have lines, so a log without any gives the same report.
    std::vector<LineSpool> networkLines_;
    std::size_t dupWritten_ = 0;
    bool startFixed_ = false;
};

}  // namespace kestrove
