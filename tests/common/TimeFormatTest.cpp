#include "common/TimeFormat.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

TEST(TimeFormat, ThreeStampsArePaddedAndFixedWidth) {
    LocalTime t{2007, 5, 5, 4, 3, 9};
    EXPECT_EQ(FormatLogStamp(t), "2007/05/05 04:03:09");
    EXPECT_EQ(FormatFileStamp(t), "2007-05-05_04-03-09");
    EXPECT_EQ(FormatJapaneseStamp(t), "2007年05月05日 04時03分09秒");
    EXPECT_EQ(FormatClock(LocalTime{2007, 5, 5, 23, 0, 0}), "23:00:00");
    EXPECT_EQ(FormatLogStamp(LocalTime{2026, 12, 31, 23, 59, 59}).size(), 19u);
}

TEST(LocalTime, RoundTripsThroughTheLocalZoneWithWeekday) {
    LocalTime t{2026, 12, 7, 20, 15, 30};
    LocalTime back = ToLocalTime(FromLocalTime(t));
    EXPECT_EQ(FormatLogStamp(back), "2026/12/07 20:15:30");
    EXPECT_EQ(back.weekday, 1);  // a Monday
}

TEST(LocalTime, OneMonthEarlierClampsToTheShorterMonth) {
    auto earlier = [](int y, int m, int d) {
        return FormatLogStamp(OneMonthEarlier(LocalTime{y, m, d, 12, 0, 0}));
    };
    EXPECT_EQ(earlier(2007, 5, 15), "2007/04/15 12:00:00");
    EXPECT_EQ(earlier(2007, 3, 31), "2007/02/28 12:00:00");
    EXPECT_EQ(earlier(2008, 3, 30), "2008/02/29 12:00:00");
    EXPECT_EQ(earlier(2007, 1, 10), "2006/12/10 12:00:00");
    EXPECT_EQ(earlier(2007, 7, 31), "2007/06/30 12:00:00");
}

}  // namespace
}  // namespace kestrove
