// Reports where the disk says no: a report folder that is missing or read-only, a program
// folder that is read-only, an archive that does not fit. No crash, no stale report shown, no
// half-written or temporary file left behind, and whatever could be written is what gets mailed.
#include <gtest/gtest.h>

#include <optional>

#include "../ReportFixture.h"
#include "common/Cp932.h"
#include "monitor/report/ReportTriggers.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

const std::string kStamped = "Report_2007-05-05_14-03-09";

class ReportFaultTest : public ReportFixture {
protected:
    void SetUp() override {
        WriteLog({kStartLine, kChangeLine, kDuplicateLine});
        fs::create_directories(saved);
        settings.WriteIni("Report", "SaveTo", saved.string());
    }

    ReportOutcome Make(bool compress, bool show = true) {
        settings.WriteIni("Report", "Compress", compress ? "1" : "0");
        return MakeDatedReport(builder, settings, "None", show);
    }

    fs::path saved = dir / "saved";
};

TEST_F(ReportFaultTest, MissingReportFolderStillGivesTheWorkingReport) {
    KESTROVE_REQUIRE_ROOT();
    fs::remove(saved);
    for (bool compress : {false, true}) {
        ReportOutcome outcome = Make(compress);
        EXPECT_TRUE(outcome.Built());
        EXPECT_FALSE(fs::exists(outcome.attachment)) << "nothing to mail";
        EXPECT_FALSE(fs::exists(saved)) << "the folder is not made behind the user's back";
        EXPECT_NE(WorkingReport().find("192.168.0.5(PC01)"), std::string::npos);
    }
    EXPECT_EQ(opener.opened.size(), 2u);
}

TEST_F(ReportFaultTest, ReadOnlyReportFolderLeavesNothingThereAndTheWorkingReportIsShown) {
    KESTROVE_REQUIRE_ROOT();
    ReadOnlyBind readOnly(saved);
    for (bool compress : {false, true}) {
        ReportOutcome outcome = Make(compress);
        EXPECT_TRUE(outcome.Built());
        EXPECT_FALSE(fs::exists(outcome.attachment));
        EXPECT_TRUE(FolderNames(saved).empty()) << "no part file or temporary archive";
    }
    EXPECT_EQ(opener.opened, (std::vector<fs::path>{dir / "report.htm", dir / "report.htm"}));
}

TEST_F(ReportFaultTest, ReadOnlyProgramFolderShowsNoStaleReportButStoresTheCopy) {
    KESTROVE_REQUIRE_ROOT();
    WriteFile(dir / "report.htm", "an old report");
    TempFolder elsewhere;
    settings.WriteIni("Report", "SaveTo", elsewhere.Path().string());
    ReadOnlyBind readOnly(dir.Path());

    ReportOutcome outcome = Make(false);
    EXPECT_TRUE(outcome.Built());
    EXPECT_TRUE(opener.opened.empty()) << "the old report.htm must not pass for this one";
    EXPECT_EQ(ReadFile(dir / "report.htm"), "an old report");
    EXPECT_EQ(outcome.attachment, elsewhere / (kStamped + ".htm"));
    EXPECT_NE(Cp932ToUtf8(ReadFile(outcome.attachment)).find("192.168.0.5(PC01)"),
              std::string::npos);
    EXPECT_EQ(FolderNames(dir.Path()),
              (std::vector<std::string>{"log", "report.htm", "saved", "setting.ini"}));
}

TEST_F(ReportFaultTest, ArchiveOnAFullDiskKeepsTheHtmCopyForMailing) {
    KESTROVE_REQUIRE_ROOT();
    fs::create_directories(dir / "out");
    ASSERT_TRUE(builder.MakeReport(Dated(), false, false, "None").Built());
    std::uintmax_t htmBytes = fs::file_size(Dated());
    // A disk with exactly the pages the HTML copy needs: the archive finds none left.
    TmpfsMount disk(saved, (htmBytes + 4095) / 4096 * 4096);

    ReportOutcome outcome = Make(true);
    EXPECT_TRUE(outcome.Built());
    EXPECT_EQ(outcome.attachment, saved / (kStamped + ".htm"));
    EXPECT_EQ(ReadFile(outcome.attachment), ReadFile(dir / "report.htm"));
    EXPECT_EQ(FolderNames(saved), std::vector<std::string>{kStamped + ".htm"});
}

TEST_F(ReportFaultTest, DiskFillingHalfwayThroughALargeReportDropsOnlyThatCopy) {
    KESTROVE_REQUIRE_ROOT();
    WriteChangeLog(40000);
    // Room for a part of the copy only: its writes start failing while report.htm goes on.
    TmpfsMount disk(saved, 1 << 20);

    ReportOutcome outcome = Make(false);
    EXPECT_TRUE(outcome.Built());
    EXPECT_FALSE(fs::exists(outcome.attachment));
    EXPECT_TRUE(FolderNames(saved).empty()) << "no part file left";
    std::string report = WorkingReport();
    EXPECT_EQ(Occurrences(report, "(PC"), 40000u);
    EXPECT_NE(report.find("</html>"), std::string::npos);
    EXPECT_EQ(opener.opened, std::vector<fs::path>{dir / "report.htm"});
    EXPECT_EQ(ThreadCount(), 1) << "the report's writer is gone with it";
}

}  // namespace
}  // namespace kestrove::test
