#include "monitor/report/ReportOptionForm.h"

#include <gtest/gtest.h>

#include "MemorySettings.h"
#include "monitor/report/ReportOptionTexts.h"
#include "monitor/settings/PasswordScrambler.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using C = ReportOptionControl;
using Access = test::MemorySettings::Access;

class ReportOptionFormTest : public ::testing::Test {
protected:
    ReportOptionFormTest() : form_(settings_, [this](bool on) { timerCalls_.push_back(on); }) {}

    void Load() {
        form_.Form_Load();
        settings_.writes.clear();
    }

    // Names of the controls among `controls` that are enabled.
    std::vector<std::string> Enabled(const std::vector<C>& controls) const {
        std::vector<std::string> names;
        for (C c : controls) {
            if (form_.IsEnabled(c)) {
                names.emplace_back(ReportOptionForm::ControlName(c));
            }
        }
        return names;
    }
    std::vector<std::string> AllEnabled() const {
        std::vector<C> all;
        for (std::size_t i = 0; i < static_cast<std::size_t>(C::kCount); ++i) {
            all.push_back(static_cast<C>(i));
        }
        return Enabled(all);
    }

    // Loads, then switches automatic reports, mail and authentication on by clicking.
    void LoadWithMailOn(bool popBeforeSmtp) {
        Load();
        form_.Check1_Click(true);
        form_.Check2_Click(true);
        form_.chkAuth_Click(true);
        if (popBeforeSmtp) {
            form_.optPBS_Click();
        }
        settings_.writes.clear();
    }

    void FillAllFields() {
        ReportOptionValues& v = form_.Values();
        v.txtReportSave = (dir_ / "reports" / "new").string();
        v.text1 = "a@example.org";
        v.text2 = "kestrove@example.org";
        v.text3 = "mail.example.org";
        v.text4 = "pop.example.org";
        v.text5 = "reporter";
        v.text6 = "pw";
    }

    test::TempFolder dir_;
    test::MemorySettings settings_;
    std::vector<bool> timerCalls_;
    ReportOptionForm form_;
};

TEST_F(ReportOptionFormTest, FirstOpeningWritesHourlyAndAutoOffAndDisablesEverything) {
    form_.Form_Load();
    EXPECT_EQ(settings_.writes,
              (std::vector<Access>{{"Report", "Freq", "Hourly"}, {"Report", "Auto", "0"}}));
    const ReportOptionValues& v = form_.Values();
    EXPECT_FALSE(v.check1);
    EXPECT_EQ(v.frequency, ReportFrequency::Hourly);
    EXPECT_FALSE(v.cboVisible);
    EXPECT_TRUE(v.cboItems.empty());
    EXPECT_EQ(v.method, ReportAuthMethod::SMTPAuth);
    EXPECT_TRUE(v.txtReportSave.empty() && v.text1.empty() && v.text6.empty());
    EXPECT_TRUE(AllEnabled().empty());
}

TEST_F(ReportOptionFormTest, LoadFillsTheControlsFromTheSettings) {
    std::string scrambled = *ScramblePassword("SET", "pw;1");
    // Immediate is "true": only exactly "1" is on.
    settings_.Preset({{"Auto", "1"},
                      {"Freq", "Weekly"},
                      {"Freq_Weekly", "水曜日"},
                      {"SaveTo", "/srv/reports"},
                      {"SendByMail", "1"},
                      {"SendTo", "a@example.org"},
                      {"SendFrom", "k@example.org"},
                      {"SMTPServer", "mail.example.org"},
                      {"Auth", "1"},
                      {"AuthMethod", "POPBeforeSMTP"},
                      {"POPServer", "pop.example.org"},
                      {"UserID", "reporter"},
                      {"Password", scrambled},
                      {"Compress", "1"},
                      {"Immediate", "true"},
                      {"RequireTLS", "1"}});
    form_.Form_Load();
    const ReportOptionValues& v = form_.Values();
    EXPECT_TRUE(v.check1 && v.check2 && v.chkAuth && v.check4 && v.chkTls);
    EXPECT_FALSE(v.chkIjo);
    EXPECT_EQ(v.frequency, ReportFrequency::Weekly);
    EXPECT_EQ(v.cboText, "水曜日");
    EXPECT_EQ(v.method, ReportAuthMethod::POPBeforeSMTP);
    EXPECT_EQ(v.text4, "pop.example.org");
    EXPECT_EQ(v.text6, "pw;1");
    EXPECT_EQ(AllEnabled().size(), static_cast<std::size_t>(C::kCount));
    EXPECT_EQ(settings_.WrittenKeys(), (std::vector<std::string>{"Freq", "Freq_Weekly", "Auto"}));
}

TEST_F(ReportOptionFormTest, EnablingAfterLoadFollowsTheRuleSequence) {
    settings_.Preset({{"Auto", "1"}, {"SendByMail", "1"}, {"Auth", "1"}});
    Load();  // SMTP AUTH: the POP server is not needed
    EXPECT_EQ(Enabled({C::Label4, C::Text4, C::Label5, C::Text6, C::optPBS}),
              (std::vector<std::string>{"Label5", "Text6", "optPBS"}));

    settings_.Preset("SendByMail", "0");
    Load();
    EXPECT_EQ(Enabled({C::Check2, C::Frame3, C::Text1, C::chkAuth, C::chkIjo, C::Check4, C::cboTime,
                       C::Command1}),
              (std::vector<std::string>{"Check2", "Check4", "cboTime", "Command1"}));
}

TEST_F(ReportOptionFormTest, AutoOffWithMailOnLeavesCheck2DisabledButItsFieldsEnabled) {
    settings_.Preset({{"Auto", "0"}, {"SendByMail", "1"}});
    Load();
    EXPECT_EQ(AllEnabled(),
              (std::vector<std::string>{"chkIjo", "Frame3", "Label1", "Label2", "Label3", "Text1",
                                        "Text2", "Text3", "Frame4", "chkAuth", "chkTls"}));

    settings_.Preset({{"Auth", "1"}, {"AuthMethod", "POPBeforeSMTP"}});
    Load();
    EXPECT_FALSE(form_.IsEnabled(C::Check2));
    EXPECT_EQ(
        Enabled({C::optSMTPAuth, C::optPBS, C::Label4, C::Text4, C::Label6, C::Text6}),
        (std::vector<std::string>{"optSMTPAuth", "optPBS", "Label4", "Text4", "Label6", "Text6"}));
}

TEST_F(ReportOptionFormTest, ClicksRunTheirRulesAndCheck1WritesAutoAtOnce) {
    Load();
    form_.Check1_Click(true);
    EXPECT_EQ(settings_.writes, (std::vector<Access>{{"Report", "Auto", "1"}}));
    EXPECT_TRUE(form_.IsEnabled(C::Check2));
    EXPECT_FALSE(form_.IsEnabled(C::Text1));
    form_.Check2_Click(true);
    EXPECT_TRUE(form_.IsEnabled(C::Text1));
    EXPECT_FALSE(form_.IsEnabled(C::Text5));
    form_.chkAuth_Click(true);
    EXPECT_TRUE(form_.IsEnabled(C::Text5));
    EXPECT_FALSE(form_.IsEnabled(C::Text4));
    form_.optPBS_Click();
    EXPECT_TRUE(form_.IsEnabled(C::Text4));
    form_.optSMTPAuth_Click();
    EXPECT_FALSE(form_.IsEnabled(C::Text4));
    form_.Check2_Click(false);
    EXPECT_EQ(Enabled({C::Text1, C::Text5, C::optPBS, C::chkIjo, C::Check4}),
              (std::vector<std::string>{"Check4"}));
    form_.Check1_Click(false);
    EXPECT_TRUE(AllEnabled().empty());
    EXPECT_EQ(settings_.writes.back(), (Access{"Report", "Auto", "0"}));
}

TEST_F(ReportOptionFormTest, FrequencyOptionsFillTheListAndWriteAtOnce) {
    Load();
    form_.optDaily_Click();
    const ReportOptionValues& v = form_.Values();
    ASSERT_EQ(v.cboItems.size(), 24u);
    EXPECT_EQ(v.cboItems.front(), "0時");
    EXPECT_EQ(v.cboItems.back(), "23時");
    EXPECT_EQ(v.cboText, "0時");
    EXPECT_TRUE(v.cboVisible);
    EXPECT_EQ(settings_.writes,
              (std::vector<Access>{{"Report", "Freq", "Daily"}, {"Report", "Freq_Daily", "0時"}}));
    form_.cboTime_Click("7時");
    EXPECT_EQ(settings_.Peek("Freq_Daily"), "7時");

    form_.optMonthly_Click();
    ASSERT_EQ(v.cboItems.size(), 30u);
    EXPECT_EQ(v.cboItems.back(), "30日");
    form_.optWeekly_Click();
    EXPECT_EQ(v.cboItems, (std::vector<std::string>{"日曜日", "月曜日", "火曜日", "水曜日",
                                                    "木曜日", "金曜日", "土曜日"}));
    form_.optDaily_Click();
    EXPECT_EQ(v.cboText, "7時");

    form_.optHourly_Click();
    EXPECT_FALSE(v.cboVisible);
    EXPECT_TRUE(v.cboItems.empty());
    EXPECT_EQ(settings_.Peek("Freq"), "Hourly");
}

TEST_F(ReportOptionFormTest, StoredValueOutsideTheListIsShownAndWrittenBackUnchanged) {
    settings_.Preset({{"Freq", "Monthly"}, {"Freq_Monthly", "31日"}});
    Load();
    EXPECT_EQ(form_.Values().cboText, "31日");
    form_.Form_Load();
    EXPECT_EQ(settings_.writes[1], (Access{"Report", "Freq_Monthly", "31日"}));
}

TEST_F(ReportOptionFormTest, ValidationShowsTheSevenMessagesInOrder) {
    using namespace reportoption;
    LoadWithMailOn(true);
    ReportOptionValues& v = form_.Values();
    std::pair<std::string*, std::string_view> steps[] = {
        {&v.txtReportSave, kNoSaveFolder}, {&v.text1, kNoSendTo},    {&v.text2, kNoSendFrom},
        {&v.text3, kNoSmtpServer},         {&v.text4, kNoPopServer}, {&v.text5, kNoUserId},
        {&v.text6, kNoPassword},
    };
    for (auto& [field, message] : steps) {
        auto result = form_.Command2_Click();
        EXPECT_FALSE(result.close);
        EXPECT_EQ(result.message, message);
        *field = field == &v.txtReportSave ? dir_.Path().string() : "x";
    }
    EXPECT_TRUE(settings_.writes.empty());
    EXPECT_TRUE(timerCalls_.empty());
    EXPECT_TRUE(form_.Command2_Click().close);
    EXPECT_EQ(timerCalls_, std::vector<bool>{true});
}

TEST_F(ReportOptionFormTest, SmtpAuthNeedsNoPopServerAndMailOffNeedsNoMailFields) {
    LoadWithMailOn(false);
    FillAllFields();
    form_.Values().text4.clear();
    EXPECT_TRUE(form_.Command2_Click().close);

    Load();
    form_.Check1_Click(true);
    form_.Values().txtReportSave = dir_.Path().string();
    EXPECT_TRUE(form_.Command2_Click().close);
}

TEST_F(ReportOptionFormTest, OkSavesTheKeysInOrderWithTheScrambledPassword) {
    LoadWithMailOn(true);
    form_.Check4_Click(true);
    FillAllFields();
    form_.Values().chkIjo = true;
    settings_.writes.clear();
    auto result = form_.Command2_Click();
    EXPECT_TRUE(result.close);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(timerCalls_, std::vector<bool>{true});
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "reports" / "new"));
    std::string save = (dir_ / "reports" / "new").string();
    EXPECT_EQ(settings_.writes,
              (std::vector<Access>{{"Report", "SaveTo", save},
                                   {"Report", "SendByMail", "1"},
                                   {"Report", "SendTo", "a@example.org"},
                                   {"Report", "SendFrom", "kestrove@example.org"},
                                   {"Report", "SMTPServer", "mail.example.org"},
                                   {"Report", "Auth", "1"},
                                   {"Report", "AuthMethod", "POPBeforeSMTP"},
                                   {"Report", "POPServer", "pop.example.org"},
                                   {"Report", "UserID", "reporter"},
                                   {"Report", "Password", *ScramblePassword("SET", "pw")},
                                   {"Report", "Compress", "1"},
                                   {"Report", "Immediate", "1"},
                                   {"Report", "RequireTLS", "0"}}));
}

TEST_F(ReportOptionFormTest, Check1OffSwitchesTheTimerOffAndSavesWithoutChecks) {
    Load();
    form_.Values().text3 = "mail.example.org";
    EXPECT_TRUE(form_.Command2_Click().close);
    EXPECT_EQ(timerCalls_, std::vector<bool>{false});
    EXPECT_EQ(settings_.WrittenKeys().size(), 13u);
    EXPECT_EQ(settings_.Peek("SaveTo"), "");
    EXPECT_EQ(settings_.Peek("SMTPServer"), "mail.example.org");
    EXPECT_EQ(settings_.Peek("AuthMethod"), "SMTPAuth");
    EXPECT_EQ(settings_.Peek("Password"), "");
}

TEST_F(ReportOptionFormTest, NonAsciiPasswordIsRefusedAndNothingIsSaved) {
    for (bool autoOn : {true, false}) {
        Load();
        form_.Check1_Click(autoOn);
        FillAllFields();
        form_.Values().text6 = "パスワード";
        settings_.writes.clear();
        auto result = form_.Command2_Click();
        EXPECT_FALSE(result.close);
        EXPECT_EQ(result.message, reportoption::kPasswordNotAscii);
        EXPECT_TRUE(settings_.writes.empty());
        EXPECT_TRUE(timerCalls_.empty());
        EXPECT_FALSE(std::filesystem::exists(dir_ / "reports"));
    }
}

TEST_F(ReportOptionFormTest, FolderPickerCancelKeepsTheField) {
    Load();
    form_.Command1_Click("/srv/reports");
    form_.Command1_Click("");
    EXPECT_EQ(form_.Values().txtReportSave, "/srv/reports");
}

}  // namespace
}  // namespace kestrove
