#include "monitor/report/RowBytes.h"

#include <gtest/gtest.h>

#include <string>

#include "monitor/report/ReportCells.h"

namespace kestrove::test {
namespace {

// What a cell's bytes become through the escaper of the decoded path.
std::string Expected(std::string_view text, bool dropSpaces, bool colonAsParen) {
    std::string kept;
    for (char c : text) {
        if (c == ' ' && dropSpaces) {
            continue;
        }
        kept += c == ':' && colonAsParen ? '(' : c;
    }
    std::string out;
    AppendHtmlEscaped(out, kept);
    return out;
}

template <bool DropSpaces, bool ColonAsParen>
std::string Escaped(std::string_view text) {
    RowBytes row;
    row.Reserve(RowBytes::kEscapedBytesPerByte * text.size());
    row.PutEscaped<DropSpaces, ColonAsParen>(text);
    return std::string(row.View());
}

// Cells are looked at eight bytes at a time with the tail checked through the last eight, so
// every special byte is tried at every position of texts from 1 to 24 bytes, among bytes that
// look like it in part (its neighbours in the code table and CP932 second bytes).
TEST(RowBytes, EveryByteThatNeedsALookIsFoundWhereverItStands) {
    for (char special : {'&', '<', '>', '"', '\'', ' ', ':'}) {
        for (std::size_t size = 1; size <= 24; ++size) {
            for (std::size_t pos = 0; pos < size; ++pos) {
                std::string text;
                for (std::size_t i = 0; i < size; ++i) {
                    text += "%=?;\x9f\xa6\xbc\xba"[i % 8];
                }
                text[pos] = special;
                SCOPED_TRACE(testing::Message()
                             << "'" << special << "' at " << pos << " of " << size);
                EXPECT_EQ((Escaped<false, false>(text)), Expected(text, false, false));
                EXPECT_EQ((Escaped<true, false>(text)), Expected(text, true, false));
                EXPECT_EQ((Escaped<true, true>(text)), Expected(text, true, true));
            }
        }
    }
}

TEST(RowBytes, GrowsForARowLongerThanItsOwnRoom) {
    std::string text(10000, '<');
    RowBytes row;
    row.Reserve(3);
    row.Put("ab:");
    row.Reserve(RowBytes::kEscapedBytesPerByte * text.size());
    row.PutEscaped(text);
    std::string expected = "ab:";
    for (std::size_t i = 0; i < text.size(); ++i) {
        expected += "&lt;";
    }
    EXPECT_EQ(row.View(), expected);
}

}  // namespace
}  // namespace kestrove::test
