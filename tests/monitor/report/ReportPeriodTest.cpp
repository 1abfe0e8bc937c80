#include "monitor/report/ReportPeriod.h"

#include <gtest/gtest.h>

#include <random>

#include "ReportFixture.h"
#include "common/Cp932.h"

namespace kestrove::test {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
    return ToLocalTime(FromLocalTime(LocalTime{year, month, day, hour, minute, second}));
}

TEST(ReportPeriod, StartOfEachPeriod) {
    LocalTime now = At(2007, 3, 1, 0, 30, 5);
    EXPECT_EQ(PeriodStartText("None", now), "");
    EXPECT_EQ(PeriodStartText("Hourly", now), "2007/02/28 23:30:05");
    EXPECT_EQ(PeriodStartText("Daily", now), "2007/02/28 00:30:05");
    EXPECT_EQ(PeriodStartText("Weekly", now), "2007/02/22 00:30:05");
    EXPECT_EQ(PeriodStartText("Monthly", now), "2007/02/01 00:30:05");
    EXPECT_EQ(PeriodStartText("Yearly", now), "");
    EXPECT_EQ(PeriodStartText("Weekly", At(2008, 1, 3, 12, 0, 0)), "2007/12/27 12:00:00");
}

TEST(ReportPeriod, MonthlyClampsToTheLastDayOfAShorterMonth) {
    EXPECT_EQ(PeriodStartText("Monthly", At(2007, 3, 31, 12, 0, 0)), "2007/02/28 12:00:00");
    EXPECT_EQ(PeriodStartText("Monthly", At(2008, 3, 30, 12, 0, 0)), "2008/02/29 12:00:00");
    EXPECT_EQ(PeriodStartText("Monthly", At(2007, 1, 15, 9, 5, 1)), "2006/12/15 09:05:01");
}

TEST(ReportPeriod, LongestPrefixThatOccursDecides) {
    const std::string log =
        "2007/05/04 09:00:00\ta\r\n"   // 0
        "2007/05/05 08:59:59\tb\r\n"   // 23
        "2007/05/05 13:00:00\tc\r\n"   // 46
        "2007/05/05 13:12:00\td\r\n"   // 69
        "2007/05/05 13:15:00\te\r\n"   // 92
        "2007/05/05 13:17:20\tf\r\n"   // 115
        "2007/05/05 13:17:38\tg\r\n";  // 138
    EXPECT_EQ(FindPeriodStart(log, ""), 0u) << "the whole log";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/03 13:17:39"), 0u) << "date missing";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 10:00:00"), 23u) << "hour missing";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 13:40:00"), 46u) << "ten minutes missing";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 13:16:00"), 69u) << "minute missing";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 13:17:05"), 115u) << "ten seconds missing";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 13:17:39"), 138u) << "ten seconds found";
    EXPECT_EQ(FindPeriodStart(log, "2007/05/05 13:17:25"), 115u);
}

TEST(ReportPeriod, RawCp932BytesAreSearchedLikeTheText) {
    // The builder searches the log's raw bytes; the period found must be the one the decoded
    // text gives, also around broken double-byte pairs whose second byte is a digit.
    std::mt19937 random(11);
    const std::string_view stamps[] = {"2007/05/05 13:17:20", "2007/05/05 13:10:00",
                                       "2007/05/05 12:00:00", "2007/05/04 13:17:29"};
    for (int round = 0; round < 300; ++round) {
        std::string log;
        for (int line = 0; line < 8; ++line) {
            for (int i = random() % 6; i > 0; --i) {
                log += static_cast<char>(0x81 + random() % 0x7C);  // lead bytes and others
                log += static_cast<char>(random() % 3 == 0 ? '0' + random() % 10
                                                           : 0x40 + random() % 0xBD);
            }
            log += stamps[random() % 4];
            log += "\r\n";
        }
        std::string text = Cp932ToUtf8(log);
        for (std::string_view start : {"2007/05/05 13:17:25", "2007/05/05 13:40:00",
                                       "2007/05/04 09:00:00", "2007/05/03 09:00:00"}) {
            EXPECT_EQ(Cp932ToUtf8(log.substr(FindPeriodStart(log, start))),
                      text.substr(FindPeriodStart(text, start)));
        }
    }
}

using ReportPeriodTest = ReportFixture;

TEST_F(ReportPeriodTest, HourlyReportTakesTheStartHourFromItsFirstEntry) {
    clock.SetLocal(2007, 5, 5, 14, 3, 9);
    WriteLog(
        {"2007/05/05 12:59:00\tMACアドレスが変化しました\t(1:a) 00-00-00-00-00-01 -> "
         "00-00-00-00-00-02",
         "2007/05/05 13:01:00\tMACアドレスが変化しました\t(2:b) 00-00-00-00-00-01 -> "
         "00-00-00-00-00-02",
         "2007/05/05 13:59:00\tMACアドレスが変化しました\t(3:c) 00-00-00-00-00-01 -> "
         "00-00-00-00-00-02"});
    Make("Hourly");
    std::string report = WorkingReport();
    EXPECT_EQ(report.find(">1(a)<"), std::string::npos);
    EXPECT_NE(report.find(">2(b)<"), std::string::npos) << "same hour, before the exact start";
    EXPECT_NE(report.find(">3(c)<"), std::string::npos);
    EXPECT_NE(report.find("'top'>2007/05/05 13:03:09　～　2007/05/05 14:03:09<"),
              std::string::npos);
}

TEST_F(ReportPeriodTest, DailyReportWithoutTheStartHourTakesTheWholeDay) {
    clock.SetLocal(2007, 5, 5, 12, 0, 0);
    WriteLog({"2007/05/03 23:00:00\tMACアドレスが変化しました\t(1:a) x -> y",
              "2007/05/04 08:00:00\tMACアドレスが変化しました\t(2:b) x -> y",
              "2007/05/05 11:00:00\tMACアドレスが変化しました\t(3:c) x -> y"});
    Make("Daily");
    std::string report = WorkingReport();
    EXPECT_EQ(report.find(">1(a)<"), std::string::npos);
    EXPECT_NE(report.find(">2(b)<"), std::string::npos);
    EXPECT_NE(report.find(">3(c)<"), std::string::npos);
}

TEST_F(ReportPeriodTest, WeeklyAndMonthlyWithoutTheStartDateTakeTheWholeLog) {
    clock.SetLocal(2007, 5, 5, 12, 0, 0);
    WriteLog({"2006/01/01 00:00:00\tMACアドレスが変化しました\t(1:old) x -> y",
              "2007/05/05 11:00:00\tMACアドレスが変化しました\t(3:new) x -> y"});
    for (std::string_view period : {"Weekly", "Monthly", "None"}) {
        Make(period);
        EXPECT_NE(WorkingReport().find(">1(old)<"), std::string::npos) << period;
    }
    EXPECT_NE(WorkingReport().find("'top'>　～　2007/05/05 12:00:00<"), std::string::npos)
        << "the whole log has an empty start";
}

TEST_F(ReportPeriodTest, StampsAndLinesAcrossReadingPiecesAreFound) {
    // The log is read a megabyte at a time; put the period's first line and a reported line
    // across that border at every offset around it.
    clock.SetLocal(2007, 5, 5, 14, 3, 9);
    const std::string early = "2007/05/05 12:59:59\tMACアドレスが変化しました\t(1:early) x -> y";
    const std::string first = "2007/05/05 13:03:09\tMACアドレスが変化しました\t(2:first) a -> b";
    const std::size_t earlyBytes = Utf8ToCp932(early).size() + 2;
    for (std::size_t shift = 0; shift < 60; shift += 2) {
        // The first line begins 40 bytes before the border up to 20 bytes after it.
        std::string padding(1024 * 1024 - 40 + shift - 2 - earlyBytes, '.');
        WriteLog({padding, early, first});
        Make("Hourly");
        std::string report = WorkingReport();
        EXPECT_EQ(report.find("(early)"), std::string::npos) << shift;
        EXPECT_NE(report.find(">2(first)<"), std::string::npos) << shift;
        EXPECT_NE(report.find(">2007/05/05 13:03:09<"), std::string::npos) << shift;
    }
}

TEST_F(ReportPeriodTest, RowsTakenBackAfterOutgrowingMemoryAreGone) {
    // Megabytes of rows from the start date's first entry on wait in scratch files until the
    // start hour turns up; then only the rows from there on remain.
    clock.SetLocal(2007, 5, 5, 14, 3, 9);
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text +=
            "2007/05/05 12:10:00\tMACアドレスが変化しました\t(1.1.1.1:early) a -> b\r\n"
            "2007/05/05 12:10:00\t同一MACアドレスが重複しています\tx (early) と y (z)\r\n";
    }
    for (int i = 0; i < 3; ++i) {
        text +=
            "2007/05/05 13:05:00\tMACアドレスが変化しました\t(2.2.2.2:late) a -> b\r\n"
            "2007/05/05 13:05:00\t同一MACアドレスが重複しています\tx (late) と y (z)\r\n";
    }
    WriteLogBytes(Utf8ToCp932(text));
    Make("Hourly");
    std::string report = WorkingReport();
    EXPECT_EQ(report.find("early"), std::string::npos);
    const std::string row = "<td width='30%' align='center'>2007/05/05 13:05:00</td>";
    EXPECT_EQ(Occurrences(report, row), 6u);
    EXPECT_NE(report.find(">2.2.2.2(late)<"), std::string::npos);
}

}  // namespace
}  // namespace kestrove::test
