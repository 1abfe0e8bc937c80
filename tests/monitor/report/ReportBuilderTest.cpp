#include "monitor/report/ReportBuilder.h"

#include <random>

#include "ReportFixture.h"
#include "common/Cp932.h"
#include "monitor/report/ReportPaths.h"
#include "monitor/report/ReportTexts.h"
#include "monitor/report/ReportTriggers.h"
#include "zip/ZipReader.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

class ReportBuilderTest : public ReportFixture {
protected:
    void SetUp() override { fs::create_directories(dir / "out"); }
};

TEST_F(ReportBuilderTest, MissingOrUnreadableLogProducesNothing) {
    ReportOutcome outcome = builder.MakeReport(Dated(), true, false, "None");
    EXPECT_EQ(outcome.status, ReportStatus::NoAlarmLog);
    EXPECT_FALSE(outcome.Built());

    fs::create_directories(LogPath());  // a folder where the log should be
    outcome = builder.MakeReport(Dated(), true, true, "Hourly");
    EXPECT_EQ(outcome.status, ReportStatus::UnreadableAlarmLog);
    EXPECT_FALSE(fs::exists(dir / "report.htm"));
    EXPECT_FALSE(fs::exists(Dated()));
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(ReportBuilderTest, DatedCopyIsTheWorkingReportByteForByte) {
    WriteLog({kChangeLine});
    ReportOutcome outcome = builder.MakeReport(Dated(), true, false, "None");
    EXPECT_TRUE(outcome.Built());
    EXPECT_EQ(outcome.attachment, Dated());
    EXPECT_EQ(ReadFile(Dated()), ReadFile(dir / "report.htm"));
    EXPECT_EQ(opener.opened, std::vector<fs::path>{dir / "report.htm"});

    WriteFile(Dated(), "an older file of that name");
    builder.MakeReport(Dated(), false, false, "None");
    EXPECT_EQ(ReadFile(Dated()), ReadFile(dir / "report.htm"));
    EXPECT_EQ(opener.opened.size(), 1u);
}

TEST_F(ReportBuilderTest, CompressedCopyIsOneBareEntryAndTheHtmIsGone) {
    WriteLog({kChangeLine, kDuplicateLine});
    ReportOutcome outcome = Make("None", true);
    EXPECT_EQ(outcome.attachment, dir / "out" / "Report_a.zip");
    EXPECT_FALSE(fs::exists(Dated()));
    auto entries = ReadZip(outcome.attachment);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "Report_a.htm");
    EXPECT_EQ((*entries)[0].bytes, ReadFile(dir / "report.htm"));
}

TEST_F(ReportBuilderTest, ArchiveThatCannotBeWrittenKeepsTheHtmCopyForMailing) {
    WriteLog({kChangeLine});
    fs::create_directories(dir / "out" / "Report_a.zip");
    ReportOutcome outcome = Make("None", true);
    EXPECT_TRUE(outcome.Built());
    EXPECT_EQ(outcome.attachment, Dated());
    EXPECT_EQ(ReadFile(Dated()), ReadFile(dir / "report.htm"));
    EXPECT_TRUE(fs::is_directory(dir / "out" / "Report_a.zip"));
}

TEST_F(ReportBuilderTest, UnwritableWorkingReportStillGivesAFreshDatedCopy) {
    WriteLog({kChangeLine});
    fs::create_directories(dir / "report.htm");
    ReportOutcome outcome = builder.MakeReport(Dated(), true, false, "None");
    EXPECT_TRUE(outcome.Built());
    EXPECT_NE(Cp932ToUtf8(ReadFile(Dated())).find("192.168.0.5(PC01)"), std::string::npos);
    EXPECT_TRUE(opener.opened.empty()) << "no stale report is shown";
}

TEST_F(ReportBuilderTest, DatedCopyInAMissingFolderIsSkipped) {
    WriteLog({kChangeLine});
    ReportOutcome outcome =
        builder.MakeReport(dir / "nowhere" / "Report_a.htm", false, true, "None");
    EXPECT_TRUE(outcome.Built());
    EXPECT_FALSE(fs::exists(outcome.attachment));
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_TRUE(fs::exists(dir / "report.htm"));
}

TEST_F(ReportBuilderTest, HostileLogsGiveAReportAndNoCrash) {
    std::mt19937 random(3);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    WriteLogBytes(bytes);
    EXPECT_TRUE(Make("None").Built());
    EXPECT_TRUE(Make("Hourly").Built());

    // Message texts anywhere but in the message field make no row.
    WriteLog({"", "2007/05/05", "MACアドレスが変化", "MACアドレスが重複", "(", ")", "->",
              "\t同一MACアドレスが重複しています", "x (a:b) ->", "\r", "\n"});
    EXPECT_TRUE(Make("None").Built());
    EXPECT_NE(WorkingReport().find("<td width='76%'>\r\n異常なし\r\n"), std::string::npos);
}

TEST_F(ReportBuilderTest, ForgedMailErrorLineGivesNoRow) {
    // A mail server's 550 reply quoting both alarm texts, once on its own and once behind a
    // stamp that is where an hourly report made now begins.
    WriteLog(
        {"2007/05/05 13:30:00\tレポートメール送信エラー：550 5.7.1 同一MACアドレスが重複しています"
         " 00-00-00-00-00-66 (6.6.6.6) と 00-00-00-00-00-66 (6.6.6.7) MACアドレスが変化しました "
         "(6.6.6.6:gw) 00-00-00-00-00-01 -> 00-00-00-00-00-66",
         "2007/05/05 13:40:00\tレポートメール送信エラー：550 2007/05/05 13:03:09\t"
         "MACアドレスが変化しました\t(6.6.6.6:gw) 00-00-00-00-00-01 -> 00-00-00-00-00-66"});
    for (std::string_view period : {"None", "Hourly"}) {
        ASSERT_TRUE(Make(period).Built());
        std::string report = WorkingReport();
        EXPECT_EQ(report.find("6.6.6.6"), std::string::npos) << period;
        EXPECT_NE(report.find("<td width='76%'>\r\n異常なし\r\n"), std::string::npos) << period;
    }
}

TEST_F(ReportBuilderTest, LogLargerThanOneDecodingStepKeepsEveryLine) {
    const int kLines = 60000;  // about 6 MB
    WriteChangeLog(kLines);
    // The second report replaces a report.htm as large as itself.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(Make("None").Built());
        std::string report = WorkingReport();
        EXPECT_EQ(Occurrences(report, "(PC"), static_cast<std::size_t>(kLines));
        EXPECT_NE(report.find("192.168.0.5(PC59999)</td>\r\n"), std::string::npos);
        EXPECT_EQ(ReadFile(Dated()), ReadFile(dir / "report.htm"));
    }
}

TEST(ReportPaths, DatedPathHasExactlyOneSeparator) {
    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    LocalTime now{2007, 5, 5, 12, 0, 0, 6};
    EXPECT_EQ(DatedReportPath(settings, "/prog", now),
              fs::path("/prog/log/Report_2007-05-05_12-00-00.htm"));
    settings.WriteIni("Report", "SaveTo", "/srv/reports");
    EXPECT_EQ(DatedReportPath(settings, "/prog", now).string(),
              "/srv/reports/Report_2007-05-05_12-00-00.htm");
    settings.WriteIni("Report", "SaveTo", "/srv/reports/");
    EXPECT_EQ(DatedReportPath(settings, "/prog", now).string(),
              "/srv/reports/Report_2007-05-05_12-00-00.htm");
}

TEST(ReportPaths, ArchiveReplacesTheExtension) {
    EXPECT_EQ(ArchivePath("/x/Report_2007-05-05_12-00-00.htm").string(),
              "/x/Report_2007-05-05_12-00-00.zip");
    EXPECT_EQ(ArchivePath("/x/a.b.htm").string(), "/x/a.b.zip");
    EXPECT_EQ(ArchivePath("/x.d/report").string(), "/x.d/report.zip");
}

using ReportNowTest = ReportFixture;

TEST_F(ReportNowTest, ToldWhenThereIsNoLog) {
    ReportNowResult result = MakeReportNow(builder, settings);
    EXPECT_EQ(result.message, kNoAlarmLogMessage);
    EXPECT_TRUE(opener.opened.empty());
    fs::create_directories(LogPath());
    EXPECT_EQ(MakeReportNow(builder, settings).message, kUnreadableAlarmLogMessage);
}

TEST_F(ReportNowTest, WholeLogShownAndStoredAsSetUp) {
    WriteLog({kChangeLine});
    settings.WriteIni("Report", "SaveTo", (dir / "saved").string());
    fs::create_directories(dir / "saved");
    ReportNowResult result = MakeReportNow(builder, settings);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.outcome.attachment, dir / "saved" / "Report_2007-05-05_14-03-09.htm");
    EXPECT_TRUE(fs::exists(result.outcome.attachment));
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_NE(WorkingReport().find("'top'>　～　"), std::string::npos);

    settings.WriteIni("Report", "Compress", "1");
    clock.Advance(std::chrono::seconds(1));
    result = MakeReportNow(builder, settings);
    EXPECT_EQ(result.outcome.attachment, dir / "saved" / "Report_2007-05-05_14-03-10.zip");
    EXPECT_TRUE(fs::exists(result.outcome.attachment));
}

}  // namespace
}  // namespace kestrove::test
