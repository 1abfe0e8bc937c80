#include "viewer/LogDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;
using ::testing::ElementsAre;

// "プログラムを開始しました" in CP932.
const std::string kStartCp932 =
    "\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD";
const std::string kThreeLines = "2007/05/05 14:03:09 " + kStartCp932 +
                                "\r\n2007/05/05 14:05:00 MAC\r\n"
                                "2007/05/05 14:06:00 end\r\n";

TEST(LogTextTest, LinesEndAtCrOrCrLfButNotAtALoneLf) {
    using logtext::SplitLines;
    EXPECT_THAT(SplitLines("a\r\nb\r\nc\r\n"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(SplitLines("a\r\nb"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitLines("a\rb\r"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitLines("a\nb\nc\n"), ElementsAre("a\nb\nc\n"));
    EXPECT_THAT(SplitLines("a\r\r\nb\n\r\n"), ElementsAre("a", "", "b\n"));
    EXPECT_THAT(SplitLines("\r\n"), ElementsAre(""));
    EXPECT_TRUE(SplitLines("").empty());
}

// The viewer decodes a large file slice by slice: every way of cutting must give the box text
// of the whole, whatever line ends, two-byte characters or damage lie at the cuts.
TEST(LogTextTest, SlicesCutAfterLineEndsAndJoinToTheBoxTextOfTheWhole) {
    const std::string files[] = {
        kThreeLines,
        "a\r\r\nb\n\r\nc",
        "\r\r\r",
        "ok\x80\r\n\x82\r\x82\r\n" + kStartCp932 + "\n" + kStartCp932 + "\r",
        "no line end at all " + kStartCp932,
    };
    for (const std::string& file : files) {
        for (std::size_t atLeast = 0; atLeast <= file.size() + 1; ++atLeast) {
            std::string joined;
            std::size_t from = 0;
            int slices = 0;
            do {
                std::size_t end = logtext::SliceEnd(file, from, atLeast);
                ASSERT_GT(end, from) << "no progress in " << file;
                ASSERT_TRUE(end == file.size() || file[end - 1] == '\r' || file[end - 1] == '\n');
                ASSERT_FALSE(end < file.size() && file[end - 1] == '\r' && file[end] == '\n')
                    << "a CR LF was split";
                joined += (slices++ == 0 ? "" : "\n") +
                          logtext::BoxTextFromFile(std::string_view(file).substr(from, end - from));
                from = end;
            } while (from < file.size());
            EXPECT_EQ(joined, logtext::BoxTextFromFile(file)) << "cut every " << atLeast;
        }
    }
    EXPECT_EQ(logtext::SliceEnd("", 0, 10), 0u);
}

TEST(LogTextTest, BoxAndFileConvertBothWays) {
    EXPECT_EQ(logtext::BoxTextFromFile(kThreeLines),
              "2007/05/05 14:03:09 プログラムを開始しました\n"
              "2007/05/05 14:05:00 MAC\n2007/05/05 14:06:00 end");
    EXPECT_EQ(logtext::FileFromBoxText(logtext::BoxTextFromFile(kThreeLines)), kThreeLines);
    EXPECT_EQ(logtext::BoxTextFromFile("a\nb\nc"), "a\u2028b\u2028c");
    EXPECT_EQ(logtext::FileFromBoxText("a\u2028b\u2028c"), "a\nb\nc\r\n");
    EXPECT_EQ(logtext::FileFromBoxText(""), "\r\n");
    EXPECT_EQ(logtext::FileFromBoxText("a\r\nb\rc\n"), "a\r\nb\r\nc\r\n\r\n");
}

// The one-pass conversions agree with the line rules on every mix of breaks, separators and
// characters that share the separator's lead byte.
TEST(LogTextTest, OnePassConversionsFollowTheLineRules) {
    const std::string cases[] = {"",      "\r",    "\n",         "\r\n\r\n", "a\r\r\nb\n\r\n",
                                 "a\n\r", "\n\na", "x\r\n\ny\r", "\r\rz"};
    for (const std::string& file : cases) {
        std::string joined;
        for (std::string line : logtext::SplitLines(file)) {
            for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n')) {
                line.replace(at, 1, "\u2028");
            }
            joined += line + "\n";
        }
        if (!joined.empty()) {
            joined.pop_back();
        }
        EXPECT_EQ(logtext::BoxTextFromFile(file), joined) << ::testing::PrintToString(file);
    }
    // "―" (U+2015) and "→" (U+2192) share the separator's lead byte and stay themselves.
    EXPECT_EQ(logtext::FileFromBoxText("\u2015\u2028\u2192\xE2"), "\x81\x5C\n\x81\xA8?\r\n");
}

TEST(LogTextTest, InvalidBytesShowAsReplacementCharacters) {
    EXPECT_EQ(logtext::BoxTextFromFile("ok\x80\r\n\x82\r\nend\xFF"), "ok\uFFFD\n\uFFFD\nend\uFFFD");
}

class LogDocumentTest : public ::testing::Test {
protected:
    test::TempFolder dir;
    fs::path log = dir / "alart.log";
};

TEST_F(LogDocumentTest, FailedSaveLeavesEverythingAsItWas) {
    WriteFile(dir / "notafolder", "keep");
    EXPECT_EQ(LogDocument(dir / "notafolder" / "alart.log").Save("x"),
              LogDocument::SaveResult::Failed);
    EXPECT_EQ(LogDocument(dir / "missing" / "alart.log").Save("x"),
              LogDocument::SaveResult::Failed);
    fs::create_directory(dir / "folder.log");
    EXPECT_EQ(LogDocument(dir / "folder.log").Save("x"), LogDocument::SaveResult::Failed);
    EXPECT_EQ(LogDocument("").Save("x"), LogDocument::SaveResult::NoPath);

    EXPECT_EQ(ReadFile(dir / "notafolder"), "keep");
    EXPECT_TRUE(fs::is_directory(dir / "folder.log"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}), 2)
        << "no temporary file is left behind";
}

TEST_F(LogDocumentTest, ChangeOnDiskIsToldWithoutKeepingTheBytes) {
    WriteFile(log, kThreeLines);
    LogDocument doc(log);
    doc.Load();
    EXPECT_FALSE(doc.ChangedOnDisk());
    WriteFile(log, kThreeLines + "2007/05/05 14:07:00 more\r\n");
    EXPECT_TRUE(doc.ChangedOnDisk());
    std::string sameSize = kThreeLines;
    sameSize[0] = '3';
    WriteFile(log, sameSize);
    EXPECT_TRUE(doc.ChangedOnDisk());
    ASSERT_EQ(doc.Save("a"), LogDocument::SaveResult::Saved);
    EXPECT_FALSE(doc.ChangedOnDisk());
}

TEST_F(LogDocumentTest, FileMadeAfterAMissingLoadIsAChangeAFileDeletedIsNot) {
    LogDocument doc(log);
    EXPECT_EQ(doc.Load(), "");
    EXPECT_FALSE(doc.ChangedOnDisk());
    WriteFile(log, "2007/05/05 14:03:09 start\r\n");
    EXPECT_TRUE(doc.ChangedOnDisk());
    fs::remove(log);
    EXPECT_FALSE(doc.ChangedOnDisk()) << "nothing on disk to lose";
}

}  // namespace
}  // namespace kestrove
