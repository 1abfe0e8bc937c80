#include <gtest/gtest.h>

#include "ReportFixture.h"
#include "common/Cp932.h"
#include "common/Utf8Path.h"
#include "monitor/report/ReportTriggers.h"
#include "zip/ZipReader.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

using ReportJapaneseFolderTest = ReportFixture;

// The report folder is set as text (UTF-8 in the program, CP932 in setting.ini) and turned into
// a path for writing; on Windows a byte-wise conversion would land the report elsewhere.
TEST_F(ReportJapaneseFolderTest, ReportAndItsArchiveInAJapaneseFolderAreReadBack) {
    WriteLog({kChangeLine});
    fs::path folder = dir.Path() / PathFromUtf8("監視 レポート");
    fs::create_directories(folder);
    settings.WriteIni("Report", "SaveTo", PathToUtf8(folder));
    ASSERT_EQ(settings.ReadIni("Report", "SaveTo"), PathToUtf8(folder));

    ReportNowResult result = MakeReportNow(builder, settings);
    EXPECT_TRUE(result.message.empty()) << result.message;
    fs::path dated = folder / "Report_2007-05-05_14-03-09.htm";
    EXPECT_EQ(result.outcome.attachment, dated);
    std::string bytes = ReadFile(dated);
    EXPECT_NE(Cp932ToUtf8(bytes).find("66-77-88-99-AA-BB"), std::string::npos);
    EXPECT_EQ(bytes, Utf8ToCp932(WorkingReport()));

    settings.WriteIni("Report", "Compress", "1");
    clock.Advance(std::chrono::seconds(1));
    result = MakeReportNow(builder, settings);
    fs::path archive = folder / "Report_2007-05-05_14-03-10.zip";
    EXPECT_EQ(result.outcome.attachment, archive);
    std::optional<std::vector<ZipEntry>> entries = ReadZip(archive);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "Report_2007-05-05_14-03-10.htm");
    EXPECT_NE(Cp932ToUtf8((*entries)[0].bytes).find("66-77-88-99-AA-BB"), std::string::npos);
}

}  // namespace
}  // namespace kestrove::test
