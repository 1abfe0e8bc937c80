#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "monitor/report/AlarmLogScan.h"
#include "monitor/report/ReportFile.h"
#include "monitor/report/RowSpool.h"

namespace kestrove {

// The result cell of the report, built from the period's lines as they go by: duplicate rows
// are written into the document at once when the period's start is certain, change rows (whose
// table comes second) and rows of a start not yet certain wait in spools.
class ReportFindings final : public AlarmLogLines {
public:
    // `scratchFolder` holds the spools' scratch files when rows outgrow memory.
    ReportFindings(ReportFile& file, const std::filesystem::path& scratchFolder)
        : file_(file), dupRows_(scratchFolder), changeRows_(scratchFolder) {}

    void Line(std::string_view line) override;
    void Restart() override;
    void StartFixed() override { startFixed_ = true; }

    // Writes the result: the sections, or the no-findings text. False when a spool failed.
    bool Finish();

    std::size_t DupCount() const { return dupWritten_ + dupRows_.Rows(); }
    std::size_t ChangeCount() const { return changeRows_.Rows(); }

private:
    bool CopyRows(RowSpool& rows);

    ReportFile& file_;
    RowSpool dupRows_;
    RowSpool changeRows_;
    std::size_t dupWritten_ = 0;
    bool startFixed_ = false;
};

}  // namespace kestrove
