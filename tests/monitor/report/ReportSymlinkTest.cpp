// Another user may plant a symlink wherever the report writes: report.htm, its old temporary
// name, the dated copy, the archive. Nothing may be written through it; the report goes on as
// it does for any place that cannot be written.
#include <gtest/gtest.h>

#include "ReportFixture.h"
#include "common/Cp932.h"
#include "monitor/report/ReportPaths.h"
#include "testsupport/SpecialFiles.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

class ReportSymlinkTest : public ReportFixture {
protected:
    void SetUp() override {
        WriteLog({kChangeLine});
        fs::create_directories(dir / "out");
        WriteFile(victim, "not the report's to write");
    }

    fs::path victim = dir / "victim.txt";
};

TEST_F(ReportSymlinkTest, NothingIsWrittenThroughAPlantedLink) {
    const struct {
        const char* place;
        bool compress;
        bool workingWritten;
        bool datedWritten;
    } cases[] = {
        {"report.htm", false, false, true},       {"report.htm.part", false, true, true},
        {"out/Report_a.htm", false, true, false}, {"out/Report_a.htm.part", true, true, true},
        {"out/Report_a.zip", true, true, true},
    };
    for (const auto& c : cases) {
        fs::remove(dir / "report.htm");
        fs::remove(Dated());
        fs::remove(ArchivePath(Dated()));
        if (!MakeFileLink(victim, dir / c.place)) {
            GTEST_SKIP() << "no symbolic links here";
        }
        opener.opened.clear();

        ReportOutcome outcome = builder.MakeReport(Dated(), true, c.compress, "None");
        EXPECT_TRUE(outcome.Built()) << c.place;
        EXPECT_EQ(ReadFile(victim), "not the report's to write") << c.place;
        EXPECT_TRUE(fs::is_symlink(dir / c.place)) << c.place << ": the link is left alone";
        EXPECT_EQ(opener.opened.size(), c.workingWritten ? 1u : 0u) << c.place;
        if (c.workingWritten) {
            EXPECT_FALSE(fs::is_symlink(dir / "report.htm")) << c.place;
            EXPECT_NE(WorkingReport().find("192.168.0.5(PC01)"), std::string::npos) << c.place;
        }
        if (c.datedWritten) {
            // A whole archive when asked for one and its place is free, else the HTML copy.
            fs::path expected = c.compress && std::string_view(c.place) != "out/Report_a.zip"
                                    ? ArchivePath(Dated())
                                    : Dated();
            EXPECT_EQ(outcome.attachment, expected) << c.place;
            EXPECT_FALSE(fs::is_symlink(outcome.attachment)) << c.place;
            EXPECT_TRUE(fs::is_regular_file(outcome.attachment)) << c.place;
        }
        fs::remove(dir / c.place);
    }
}

}  // namespace
}  // namespace kestrove::test
