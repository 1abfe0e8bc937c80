#include "monitor/report/ReportCells.h"

#include <gtest/gtest.h>

#include <random>

#include "ReportFixture.h"
#include "common/Cp932.h"

namespace kestrove::test {
namespace {

TEST(ReportCells, PositionsCountCharactersNotBytes) {
    // A Japanese separator after the message and a Japanese host name before the arrow.
    RowCells dup = DuplicateCells(
        "2007/05/05 09:10:12\t同一MACアドレスが重複しています"
        "\u3000AA-BB-CC-DD-EE-FF (1) と x (2)");
    EXPECT_EQ(dup.mac, "AA-BB-CC-DD-EE-FF");
    RowCells change = ChangeCells(
        "(1:名前) 前前前前前前前前前前前前前前前前前 -> 後後後後後後後後後後後後後後後後後");
    EXPECT_EQ(change.mac,
              "前：前前前前前前前前前前前前前前前前前<BR>後：後後後後後後後後後後後後後後後後後");
    EXPECT_EQ(change.address, "1(名前)");
}

TEST(ReportCells, LogDataIsEscapedButTheMarkupIsNot) {
    RowCells dup = DuplicateCells(
        "<b>2007/05/05 09:10\t同一MACアドレスが重複しています\t"
        "<i>&B-CC-DD-EE-FF (1.1.1.1<) と x (&2)");
    EXPECT_EQ(dup.time, "&lt;b&gt;2007/05/05 09:10");
    EXPECT_EQ(dup.address, "1.1.1.1&lt;<BR>&<BR>&amp;2");
    EXPECT_EQ(dup.mac, "&lt;i&gt;&amp;B-CC-DD-EE-FF");
    RowCells change = ChangeCells("x (a:'\") <1-22-33-44-55-66 -> \"6-77-88-99-AA-B>");
    EXPECT_EQ(change.address, "a(&#39;&quot;)");
    EXPECT_EQ(change.mac, "前：&lt;1-22-33-44-55-66<BR>後：&quot;6-77-88-99-AA-B&gt;");
}

TEST(ReportCells, ShortAndBrokenLinesGiveWhatExists) {
    EXPECT_EQ(DuplicateCells("2007/05/05").time, "2007/05/05");
    EXPECT_EQ(ChangeCells("").time, "");

    // Marker texts at the very end of a line.
    RowCells dup = DuplicateCells("x\t同一MACアドレスが重複しています");
    EXPECT_EQ(dup.mac, "");
    EXPECT_EQ(dup.address, "<BR>&<BR>");
    EXPECT_EQ(DuplicateCells("同一MACアドレスが重複しています\t00-11").mac, "00-11");
    EXPECT_EQ(DuplicateCells("MACアドレスが重複 (a) (b").address, "a<BR>&<BR>b");
    EXPECT_EQ(DuplicateCells("MACアドレスが重複 (a (b)").address, "a(b<BR>&<BR>b)");

    EXPECT_EQ(ChangeCells("MACアドレスが変化->").mac, "前：MACアドレスが変<BR>後：");
    EXPECT_EQ(ChangeCells("ab->").mac, "前：a<BR>後：");
    EXPECT_EQ(ChangeCells("->").mac, "前：<BR>後：");
    EXPECT_EQ(ChangeCells("MACアドレスが変化 (1.2.3.4:pc").address, "1.2.3.4(pc)");
    EXPECT_EQ(ChangeCells("MACアドレスが変化 no groups").address, "");
    EXPECT_EQ(ChangeCells("MACアドレスが変化 no arrow").mac, "前：<BR>後：");
}

TEST(ReportCells, RandomBytesNeverReadPastTheLine) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 64, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        std::string line = Cp932ToUtf8(bytes);
        if (round % 2 == 0) {
            line.insert(random() % (line.size() + 1), round % 4 == 0 ? "->" : "(");
        }
        // Cells built from a string that ends exactly at the line: any read beyond it shows
        // under the address sanitizer.
        std::string exact(line);
        RowCells dup = DuplicateCells(exact);
        RowCells change = ChangeCells(exact);
        EXPECT_LE(dup.time.size(), 6 * exact.size() + 1);
        EXPECT_LE(change.time.size(), 6 * exact.size() + 1);
    }
}

}  // namespace
}  // namespace kestrove::test
