#include "monitor/report/ImmediateReports.h"

#include "ReportFixture.h"
#include "common/Cp932.h"
#include "common/TimeFormat.h"
#include "monitor/report/ReportTexts.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class ImmediateReportsTest : public ReportFixture {
protected:
    void SetUp() override {
        settings.WriteIni("Report", "Immediate", "1");
        settings.WriteIni("Report", "SaveTo", dir.Path().string());
        std::filesystem::create_directories(dir / "log");
    }

    // An alarm as the watch engine raises it: logged, then the request.
    void Alarm(std::string_view host) {
        std::string line = FormatLogStamp(clock.LocalNow()) +
                           "\tMACアドレスが変化しました\t(192.168.  0.  5:" + std::string(host) +
                           ") 00-11-22-33-44-55 -> 66-77-88-99-AA-BB\r\n";
        std::string log = ReadFile(LogPath()) + Utf8ToCp932(line);
        WriteFile(LogPath(), log);
        immediate.Request();
    }

    FakeTimerFactory timers{clock};
    RecordingMailer mailer;
    ImmediateReports immediate{settings, timers, builder, mailer};
};

TEST_F(ImmediateReportsTest, BurstOfAlarmsGivesOneReportHoldingThemAll) {
    EXPECT_FALSE(immediate.timImmediate().IsActive());
    EXPECT_EQ(immediate.timImmediate().Interval(), 30000ms);
    EXPECT_EQ(immediate.timImmediateReset().Interval(), 30000ms);
    Alarm("A");
    timers.Advance(5s);
    Alarm("B");
    timers.Advance(5s);
    Alarm("C");
    timers.Advance(19s);
    EXPECT_TRUE(mailer.mails.empty());
    timers.Advance(1s);  // 30 s after the first alarm
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_EQ(mailer.mails[0].subject, kImmediateMailSubject);
    EXPECT_EQ(mailer.mails[0].attachment, dir / "Report_2007-05-05_14-03-39.htm");
    EXPECT_TRUE(mailer.mails[0].attachmentExisted);
    std::string report = WorkingReport();
    for (std::string_view host : {"(A)", "(B)", "(C)"}) {
        EXPECT_NE(report.find(host), std::string::npos) << host;
    }
    EXPECT_NE(report.find("'top'>2007/05/05 13:03:39　～　"), std::string::npos);
    EXPECT_TRUE(immediate.ImmediateHold());
    EXPECT_FALSE(immediate.timImmediate().IsActive());
    EXPECT_TRUE(immediate.timImmediateReset().IsActive());
}

TEST_F(ImmediateReportsTest, AlarmsDuringTheHoldGiveExactlyOneMoreReportWhenItEnds) {
    Alarm("decoy");
    timers.Advance(30s);
    ASSERT_EQ(mailer.mails.size(), 1u);
    timers.Advance(9s);  // the real poisoning, 39 s after the decoy, kept up
    Alarm("gateway");
    EXPECT_FALSE(immediate.timImmediate().IsActive());
    timers.Advance(6s);
    Alarm("gateway");
    timers.Advance(15s);  // the hold ends 30 s after the mail: a new delay begins
    EXPECT_FALSE(immediate.ImmediateHold());
    EXPECT_TRUE(immediate.timImmediate().IsActive());
    EXPECT_EQ(mailer.mails.size(), 1u);
    timers.Advance(30s);
    ASSERT_EQ(mailer.mails.size(), 2u);
    EXPECT_NE(WorkingReport().find("(gateway)"), std::string::npos);
    // Nothing came during the second hold, so nothing follows it.
    timers.Advance(5min);
    EXPECT_EQ(mailer.mails.size(), 2u);

    Alarm("later");
    timers.Advance(30s);
    EXPECT_EQ(mailer.mails.size(), 3u);
}

TEST_F(ImmediateReportsTest, RequestKeptDuringTheHoldLapsesWhenSwitchedOffMeanwhile) {
    Alarm("A");
    timers.Advance(40s);
    Alarm("B");
    settings.WriteIni("Report", "Immediate", "0");
    timers.Advance(5min);
    EXPECT_EQ(mailer.mails.size(), 1u);
    EXPECT_FALSE(immediate.timImmediate().IsActive());
}

TEST_F(ImmediateReportsTest, SwitchedOffMeansNoReport) {
    settings.WriteIni("Report", "Immediate", "true");
    Alarm("A");
    timers.Advance(5min);
    EXPECT_TRUE(mailer.mails.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "report.htm"));
}

TEST_F(ImmediateReportsTest, CompressedReportIsAttachedAsTheArchive) {
    settings.WriteIni("Report", "Compress", "1");
    Alarm("A");
    timers.Advance(30s);
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_EQ(mailer.mails[0].attachment, dir / "Report_2007-05-05_14-03-39.zip");
    EXPECT_TRUE(mailer.mails[0].attachmentExisted);
    EXPECT_FALSE(std::filesystem::exists(dir / "Report_2007-05-05_14-03-39.htm"));
}

// A mail that takes its time in the background: the hold counts from its end, so a burst of
// alarms still gives one mail per hold however slow the server.
TEST_F(ImmediateReportsTest, HoldRunsFromTheEndOfAMailSentInTheBackground) {
    mailer.inBackground = true;
    Alarm("A");
    timers.Advance(30s);
    ASSERT_EQ(mailer.mails.size(), 1u);
    EXPECT_TRUE(immediate.ImmediateHold());
    EXPECT_FALSE(immediate.timImmediateReset().IsActive());
    Alarm("B");
    timers.Advance(90s);  // the server is slow
    EXPECT_EQ(mailer.mails.size(), 1u);
    EXPECT_TRUE(immediate.ImmediateHold());

    ASSERT_EQ(mailer.undone.size(), 1u);
    mailer.undone[0]();
    EXPECT_TRUE(immediate.timImmediateReset().IsActive());
    timers.Advance(30s);  // the hold ends; B's delay begins
    EXPECT_FALSE(immediate.ImmediateHold());
    timers.Advance(30s);
    ASSERT_EQ(mailer.mails.size(), 2u);
    EXPECT_NE(WorkingReport().find("(B)"), std::string::npos);
}

// Alarms without end (a flood): the holds grow, so the dated reports are few, and none is more
// than an hour after the one before, so every alarm is in a report.
TEST_F(ImmediateReportsTest, FloodGivesAFewReportsThatStillHoldEveryAlarm) {
    std::vector<TimePoint> made;
    for (int i = 0; i < 3 * 60 * 2; ++i) {  // one alarm every 30 s for three hours
        std::size_t before = mailer.mails.size();
        Alarm("flood");
        timers.Advance(30s);
        if (mailer.mails.size() > before) {
            made.push_back(clock.Now());
        }
    }
    EXPECT_LE(made.size(), 12u) << "not one a minute";
    EXPECT_GE(made.size(), 8u);
    for (std::size_t i = 1; i < made.size(); ++i) {
        EXPECT_LE(made[i] - made[i - 1], 1h) << "report " << i;
    }
    // A quiet spell, then one alarm: reported after the usual 30 s again.
    timers.Advance(2h);
    std::size_t before = mailer.mails.size();
    Alarm("later");
    timers.Advance(30s);
    EXPECT_EQ(mailer.mails.size(), before + 1);
}

}  // namespace
}  // namespace kestrove::test
