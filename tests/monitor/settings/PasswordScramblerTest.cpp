#include "monitor/settings/PasswordScrambler.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrove {
namespace {

TEST(PasswordScrambler, TableHas128DistinctEntriesSafeForTheSettingsFile) {
    std::set<std::string_view> seen;
    for (int code = 0; code < 128; ++code) {
        std::string_view entry = PasswordCodeEntry(static_cast<unsigned char>(code));
        ASSERT_EQ(entry.size(), 4u) << code;
        for (char c : entry) {
            EXPECT_GE(c, 33) << code;
            EXPECT_LE(c, 125) << code;
            EXPECT_EQ(std::string_view("\"';=[]\\").find(c), std::string_view::npos) << code;
        }
        seen.insert(entry);
    }
    EXPECT_EQ(seen.size(), 128u);
    EXPECT_TRUE(PasswordCodeEntry(128).empty());
}

TEST(PasswordScrambler, EveryAsciiTextComesBackUnchanged) {
    std::string all;
    for (int code = 0; code < 128; ++code) {
        all += static_cast<char>(code);
    }
    for (std::string text : {std::string(), std::string("pw:1 ;=[]"), all}) {
        auto scrambled = ScramblePassword("SET", text);
        ASSERT_TRUE(scrambled);
        EXPECT_EQ(scrambled->size(), text.size() * 4);
        EXPECT_EQ(ScramblePassword("RESET", *scrambled), text);
    }
    EXPECT_EQ(*ScramblePassword("SET", "A"), PasswordCodeEntry('A'));
}

TEST(PasswordScrambler, ModeIsMatchedInAnyCaseAndOtherModesGiveEmptyText) {
    std::string scrambled = *ScramblePassword("set", "abc");
    EXPECT_EQ(ScramblePassword("SeT", "abc"), scrambled);
    EXPECT_EQ(ScramblePassword("reset", scrambled), "abc");
    EXPECT_EQ(ScramblePassword("ReSeT", scrambled), "abc");
    for (auto mode : {"", "SETX", "RE SET", "GET"}) {
        EXPECT_EQ(ScramblePassword(mode, "abc"), "") << mode;
    }
}

TEST(PasswordScrambler, NonAsciiCannotBeScrambledButDoesNotCrash) {
    EXPECT_FALSE(ScramblePassword("SET", "パスワード"));
    EXPECT_FALSE(ScramblePassword("SET", "abc\xff"));
}

TEST(PasswordScrambler, DamagedStoredValuesLoseOnlyTheirBadGroups) {
    std::string scrambled = *ScramblePassword("SET", "abcd");
    EXPECT_EQ(ScramblePassword("RESET", scrambled.substr(0, 14)), "abc");  // short last group
    // '~' is outside the table's characters, so this group matches no entry.
    std::string damaged = scrambled.substr(0, 4) + "~~~~" + scrambled.substr(8);
    EXPECT_EQ(ScramblePassword("RESET", damaged), "acd");
}

}  // namespace
}  // namespace kestrove
