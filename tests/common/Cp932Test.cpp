#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Utf8.h"

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

// Windows converts with its own code-page functions, Linux with iconv; a file must come out the
// same on both. These digests were taken from the iconv path and hold for every platform.
struct Digest {
    std::uint64_t value = 14695981039346656037ull;
    void Add(std::string_view bytes) {
        for (char c : bytes) {
            value = (value ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        value = (value ^ 0x100) * 1099511628211ull;  // an end mark, so pieces cannot run together
    }
};

TEST(Cp932, EveryOneAndTwoByteInputDecodesAlike) {
    Digest single, pairs;
    for (int a = 0; a < 256; ++a) {
        single.Add(Cp932ToUtf8(std::string(1, static_cast<char>(a))));
        for (int b = 0; b < 256; ++b) {
            const char bytes[] = {static_cast<char>(a), static_cast<char>(b)};
            pairs.Add(Cp932ToUtf8(std::string_view(bytes, 2)));
        }
    }
    EXPECT_EQ(single.value, 13051596336539304178ull);
    EXPECT_EQ(pairs.value, 151816919617828627ull);
}

TEST(Cp932, EveryCharacterEncodesAlike) {
    Digest bmp;
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        std::string text;
        AppendUtf8(text, cp);
        bmp.Add(Utf8ToCp932(text));
    }
    EXPECT_EQ(bmp.value, 18126960899046066441ull);
}

}  // namespace
}  // namespace kestrove
