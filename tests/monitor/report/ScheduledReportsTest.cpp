#include "monitor/report/ScheduledReports.h"

#include "ReportFixture.h"
#include "monitor/report/ReportSchedule.h"
#include "monitor/report/ReportTexts.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class ReportDueTest : public ::testing::Test {
protected:
    bool Due(std::string_view freq, int year, int month, int day, int hour, int minute,
             int second = 0) {
        LocalTime t = ToLocalTime(FromLocalTime(LocalTime{year, month, day, hour, minute, second}));
        return ReportDue(settings, freq, t);
    }

    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
};

TEST_F(ReportDueTest, HourlyDuringMinuteZero) {
    EXPECT_TRUE(Due("Hourly", 2007, 5, 5, 10, 0, 0));
    EXPECT_TRUE(Due("Hourly", 2007, 5, 5, 0, 0, 59));
    EXPECT_FALSE(Due("Hourly", 2007, 5, 5, 10, 1, 0));
    EXPECT_FALSE(Due("Hourly", 2007, 5, 5, 9, 59, 59));
    EXPECT_FALSE(Due("hourly", 2007, 5, 5, 10, 0, 0)) << "other texts are never due";
}

TEST_F(ReportDueTest, DailyAtTheChosenHour) {
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 0, 0)) << "empty hour";
    settings.WriteIni("Report", "Freq_Daily", "9時");
    EXPECT_TRUE(Due("Daily", 2007, 5, 5, 9, 0, 30));
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 9, 1));
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 19, 0));
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 21, 0));
    settings.WriteIni("Report", "Freq_Daily", "23時");
    EXPECT_TRUE(Due("Daily", 2007, 5, 5, 23, 0, 59));
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 3, 0));
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 2, 0));
    settings.WriteIni("Report", "Freq_Daily", "9");  // the suffix is missing: the digit goes
    EXPECT_FALSE(Due("Daily", 2007, 5, 5, 9, 0));
}

TEST_F(ReportDueTest, WeeklyOnTheChosenDayAtNoon) {
    settings.WriteIni("Report", "Freq_Weekly", "月曜日");
    EXPECT_TRUE(Due("Weekly", 2007, 5, 7, 12, 0, 45));  // a Monday
    EXPECT_FALSE(Due("Weekly", 2007, 5, 7, 12, 1));
    EXPECT_FALSE(Due("Weekly", 2007, 5, 7, 11, 59, 59));
    EXPECT_FALSE(Due("Weekly", 2007, 5, 8, 12, 0));
    EXPECT_FALSE(Due("Weekly", 2007, 5, 6, 12, 0));
    settings.WriteIni("Report", "Freq_Weekly", "日曜日");
    EXPECT_TRUE(Due("Weekly", 2007, 5, 6, 12, 0));
}

TEST_F(ReportDueTest, MonthlyOnTheChosenDayAtNoonAndNeverOnADayTheMonthLacks) {
    settings.WriteIni("Report", "Freq_Monthly", "30日");
    EXPECT_TRUE(Due("Monthly", 2007, 4, 30, 12, 0));
    EXPECT_FALSE(Due("Monthly", 2007, 4, 30, 12, 1));
    EXPECT_FALSE(Due("Monthly", 2007, 4, 29, 12, 0));
    for (int day = 1; day <= 29; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            EXPECT_FALSE(Due("Monthly", 2008, 2, day, hour, 0)) << day << " " << hour;
        }
    }
    settings.WriteIni("Report", "Freq_Monthly", "1日");
    EXPECT_TRUE(Due("Monthly", 2008, 2, 1, 12, 0));
    EXPECT_FALSE(Due("Monthly", 2008, 2, 11, 12, 0));
}

class ScheduledReportsTest : public ReportFixture {
protected:
    void SetUp() override {
        WriteLog({kChangeLine});
        settings.WriteIni("Report", "Freq", "Hourly");
        settings.WriteIni("Report", "SaveTo", dir.Path().string());
    }

    // Starts the schedule at 09:59:40 and lets the first check run at 10:00:10.
    void StartBeforeTen() {
        clock.SetLocal(2007, 5, 5, 9, 59, 40);
        schedule.StartSchedule();
        timers.Advance(30s);
    }

    FakeTimerFactory timers{clock};
    RecordingMailer mailer;
    ScheduledReports schedule{settings, clock, timers, builder, mailer};
};

TEST_F(ScheduledReportsTest, TimersStartStopped) {
    EXPECT_FALSE(schedule.timReport().IsActive());
    EXPECT_FALSE(schedule.timReportRestart().IsActive());
    EXPECT_EQ(schedule.timReport().Interval(), 30000ms);
    EXPECT_EQ(schedule.timReportRestart().Interval(), 30000ms);
}

TEST_F(ScheduledReportsTest, OneReportPerDueMinute) {
    StartBeforeTen();
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_EQ(mailer.mails[0].subject, kScheduledMailSubject);
    EXPECT_EQ(mailer.mails[0].attachment, dir / "Report_2007-05-05_10-00-10.htm");
    EXPECT_TRUE(mailer.mails[0].attachmentExisted);
    EXPECT_NE(WorkingReport().find("'top'>2007/05/05 09:00:10　～　2007/05/05 10:00:10<"),
              std::string::npos)
        << "the period is the frequency";
    EXPECT_FALSE(schedule.timReport().IsActive());
    EXPECT_TRUE(schedule.timReportRestart().IsActive());

    timers.Advance(30s);  // 10:00:40, the pause ends
    EXPECT_TRUE(schedule.timReport().IsActive());
    EXPECT_FALSE(schedule.timReportRestart().IsActive());
    timers.Advance(2h);
    EXPECT_EQ(mailer.mails.size(), 3u) << "10:00, 11:00 and 12:00";
}

TEST_F(ScheduledReportsTest, ReportDueAtTheFirstSecondOfTheMinuteStillGivesOne) {
    clock.SetLocal(2007, 5, 5, 9, 59, 30);
    schedule.StartSchedule();
    timers.Advance(30s);  // 10:00:00
    timers.Advance(90s);
    EXPECT_EQ(mailer.mails.size(), 1u);
}

TEST_F(ScheduledReportsTest, ScheduleIsReadAtEveryCheckAndCompressionFollowsTheSetting) {
    clock.SetLocal(2007, 5, 5, 10, 30, 0);
    schedule.StartSchedule();
    timers.Advance(10min);
    settings.WriteIni("Report", "Freq", "Daily");
    settings.WriteIni("Report", "Freq_Daily", "11時");
    settings.WriteIni("Report", "Compress", "1");
    timers.Advance(1h);
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_EQ(mailer.mails[0].attachment.extension(), ".zip");
    EXPECT_TRUE(mailer.mails[0].attachmentExisted);
    EXPECT_NE(WorkingReport().find("'top'>2007/05/04 11:00:00　～　"), std::string::npos);
}

TEST_F(ScheduledReportsTest, StoppingDuringThePauseEndsReportsForGood) {
    StartBeforeTen();
    ASSERT_EQ(mailer.mails.size(), 1u);
    schedule.StopSchedule();
    timers.Advance(3h);
    EXPECT_EQ(mailer.mails.size(), 1u);
    EXPECT_FALSE(schedule.timReport().IsActive());
    EXPECT_FALSE(schedule.timReportRestart().IsActive());
}

TEST_F(ScheduledReportsTest, MissingLogStillRunsTheMailStepSoTheFailureIsLogged) {
    std::filesystem::remove(LogPath());
    StartBeforeTen();
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_FALSE(mailer.mails[0].attachmentExisted);
}

}  // namespace
}  // namespace kestrove::test
