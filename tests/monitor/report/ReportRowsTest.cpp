#include "monitor/report/ReportRows.h"

#include <gtest/gtest.h>

#include <random>

#include "ReportFixture.h"
#include "common/Cp932.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportDocument.h"

namespace kestrove::test {
namespace {

LineKind Kind(std::string_view utf8) {
    std::string line = Utf8ToCp932(utf8);
    return KindOf(line, FindMessageField(line));
}

TEST(ReportRows, KindComesFromTheMessageFieldOnly) {
    const struct {
        std::string_view line;
        LineKind kind;
    } cases[] = {
        {kChangeLine, LineKind::Change},
        {kDuplicateLine, LineKind::Duplicate},
        {"2007/05/05 09:10:11\tMACアドレスが変化しました", LineKind::Change},
        {kOwnMacLine, LineKind::Other},
        {kStartLine, LineKind::Other},
        {"2007/05/05 09:13:00\tレポートメール送信エラー：550 MACアドレスが変化しました "
         "同一MACアドレスが重複しています",
         LineKind::Other},
        {"2007/05/05 09:13:00\tレポートメール送信エラー：550\tMACアドレスが変化しました\t(1:a) "
         "x -> y",
         LineKind::Other},
        {"2007/05/05 09:10:11\tMACアドレスが変化しましたか\t(1:a) x -> y", LineKind::Other},
        {"2007/05/05 09:10:11\tMACアドレスが変化\t(1:a) x -> y", LineKind::Other},
        {"2007/05/05 09:10:11 MACアドレスが変化しました", LineKind::Change},
        {"2007/05/05 09:10:1亜\tMACアドレスが変化しました", LineKind::Change},
        {"MACアドレスが変化しました", LineKind::Other},
        {"", LineKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Kind(c.line), c.kind) << c.line;
    }
}

// The row as the decoded line gives it: the way every line took before.
std::string DecodedRow(const RowCells& cells) {
    const RowMarkup& markup = Cp932RowMarkup();
    return markup.open + Utf8ToCp932(cells.time) + markup.timeToAddress +
           Utf8ToCp932(cells.address) + markup.addressToMac + Utf8ToCp932(cells.mac) + markup.close;
}

TEST(ReportRows, RowsFromTheBytesEqualRowsFromTheDecodedLine) {
    std::mt19937 random(9);
    const std::string_view pieces[] = {"(",
                                       ")",
                                       "->",
                                       " ",
                                       ":",
                                       "\t",
                                       "&",
                                       "<",
                                       ">",
                                       "\"",
                                       "'",
                                       "00-11-22-33-44-55",
                                       "192.168.  1.  5",
                                       "PC01",
                                       " と ",
                                       "前",
                                       "\x81",
                                       "\x82\xA0",
                                       "\xFF",
                                       "\x87\x40",
                                       "x"};
    // Stamps of 20 characters: plain, with the characters cells are cut at, with a double-byte
    // character (so the message starts at byte 21).
    const std::string_view stamps[] = {"2007/05/05 09:10:11\t", "(007/0->05 09:10:1)\t",
                                       "2007/05/05 09:10:1亜\t"};
    int checked = 0;
    for (int round = 0; round < 6000; ++round) {
        bool change = round % 2 == 0;
        std::string line = Utf8ToCp932(stamps[random() % std::size(stamps)]);
        line +=
            Utf8ToCp932(change ? "MACアドレスが変化しました" : "同一MACアドレスが重複しています");
        if (random() % 4 != 0) {
            line += '\t';
        }
        for (int i = static_cast<int>(random() % 16); i > 0; --i) {
            line += pieces[random() % std::size(pieces)];
        }
        MessageField field = FindMessageField(line);
        if (KindOf(line, field) != (change ? LineKind::Change : LineKind::Duplicate)) {
            continue;
        }
        ++checked;
        std::string decoded = Cp932ToUtf8(line);
        std::string row;
        if (change) {
            AppendChangeRow(row, line, field);
            EXPECT_EQ(row, DecodedRow(ChangeCells(decoded))) << decoded;
        } else {
            AppendDuplicateRow(row, line, field);
            EXPECT_EQ(row, DecodedRow(DuplicateCells(decoded))) << decoded;
        }
    }
    EXPECT_GT(checked, 3000);
}

}  // namespace
}  // namespace kestrove::test
