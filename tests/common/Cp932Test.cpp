#include "common/Cp932.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

TEST(Cp932, JapaneseMessagesRoundTripExactly) {
    // "プログラムを開始しました" as Windows writes it.
    const std::string bytes =
        "\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB5"
        "\x82\xBD";
    EXPECT_EQ(Cp932ToUtf8(bytes), "プログラムを開始しました");
    EXPECT_EQ(Utf8ToCp932("プログラムを開始しました"), bytes);
}

TEST(Cp932, CharactersThatShiftJisLacksAndTheBackslashSurvive) {
    for (std::string text : {"～", "－", "①", "㈱", "髙", "C:\\log\\alart.log", "　"}) {
        EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(text)), text) << text;
    }
    EXPECT_EQ(Utf8ToCp932("～"), "\x81\x60");
    EXPECT_EQ(Utf8ToCp932("\\"), "\\");
}

TEST(Cp932, InvalidBytesBecomeReplacementAndKeepFollowingText) {
    EXPECT_EQ(Cp932ToUtf8("a\x80"
                          "b"),
              "a\uFFFD"
              "b");
    EXPECT_EQ(Cp932ToUtf8("\xFF\xFFxyz"), "\uFFFD\uFFFDxyz");
    // A lead byte cut off by the end of the text.
    EXPECT_EQ(Cp932ToUtf8("ok\x82"), "ok\uFFFD");
    // A lead byte followed by a byte that cannot trail it: the ASCII byte survives.
    EXPECT_EQ(Cp932ToUtf8("\x82\x0A"), "\uFFFD\n");
}

TEST(Cp932, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp932("a\xC3(b"), "a?(b");
    EXPECT_EQ(Utf8ToCp932("\xE3\x81"), "?");
    EXPECT_EQ(Utf8ToCp932(""), "");
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Cp932, LargeTextConvertsWhole) {
    std::string big;
    for (int i = 0; i < 100000; ++i) {
        big += "監視ABC";
    }
    std::string encoded = Utf8ToCp932(big);
    EXPECT_EQ(encoded.size(), 100000u * 7);
    EXPECT_EQ(Cp932ToUtf8(encoded), big);
}

TEST(Cp932, PrefixLengthNeverSplitsADoubleByteCharacter) {
    std::string bytes = "ab" + Utf8ToCp932("漢字");  // 2 + 4 bytes
    EXPECT_EQ(Cp932PrefixLength(bytes, 100), 6u);
    EXPECT_EQ(Cp932PrefixLength(bytes, 6), 6u);
    EXPECT_EQ(Cp932PrefixLength(bytes, 5), 4u);
    EXPECT_EQ(Cp932PrefixLength(bytes, 3), 2u);
    // A trail byte in the ASCII range is not mistaken for a character of its own.
    std::string so = Utf8ToCp932("ソ");  // 0x83 0x5C
    EXPECT_EQ(so, "\x83\x5C");
    EXPECT_EQ(Cp932PrefixLength(so + "x", 1), 0u);
    // A lone lead byte at the end counts as one byte.
    EXPECT_EQ(Cp932PrefixLength("a\x82", 2), 2u);
}

}  // namespace
}  // namespace kestrove
