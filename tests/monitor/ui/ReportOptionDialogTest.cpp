#include "monitor/ui/ReportOptionDialog.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "common/ui/MessageBox.h"
#include "common/ui/Twips.h"
#include "monitor/report/MemorySettings.h"
#include "monitor/report/ReportOptionTexts.h"
#include "monitor/settings/PasswordScrambler.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

QString U(std::string_view text) {
    return QString::fromUtf8(text.data(), text.size());
}

class ReportOptionDialogTest : public ::testing::Test {
protected:
    ReportOptionDialogTest() {
        MessageBox::SetAutoAnswer(true);
        MessageBox::ClearHistory();
    }
    ~ReportOptionDialogTest() override { MessageBox::SetAutoAnswer(false); }

    template <typename T = QWidget>
    T* Get(const char* name) {
        T* widget = dialog_.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* name) { QTest::mouseClick(Get(name), Qt::LeftButton); }
    // Key presses carrying the text, so characters outside ASCII can be typed as well.
    void Type(const char* name, const QString& text) {
        QWidget* widget = Get(name);
        for (QChar ch : text) {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    void TurnOnMailWithAuth() {
        Click("Check1");
        Click("Check2");
        Click("chkAuth");
    }
    void TypeMailFields(const QString& password) {
        Type("Text1", "a@example.org");
        Type("Text2", "k@example.org");
        Type("Text3", "mail.example.org");
        Type("Text5", "reporter");
        Type("Text6", password);
    }
    std::vector<QString> Messages() const {
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::History()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    test::TempFolder dir_;
    test::MemorySettings settings_;
    std::vector<bool> timerCalls_;
    ReportOptionDialog dialog_{settings_, [this](bool on) { timerCalls_.push_back(on); }};
};

TEST_F(ReportOptionDialogTest, FirstOpeningShowsTheDesignAndStoresHourlyAndAutoOff) {
    dialog_.Open();

    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.objectName(), "frmReportOption");
    EXPECT_EQ(dialog_.windowTitle(), U("レポート自動作成の設定"));
    EXPECT_GE(dialog_.width(), Twips::ToPixels(6315, &dialog_)) << "at least as wide as designed";
    EXPECT_EQ(settings_.Peek("Freq"), "Hourly");
    EXPECT_EQ(settings_.Peek("Auto"), "0");
    EXPECT_TRUE(Get<QRadioButton>("optHourly")->isChecked());
    EXPECT_TRUE(Get<QRadioButton>("optSMTPAuth")->isChecked());
    EXPECT_FALSE(Get<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(Get("cboTime")->isVisible());
    EXPECT_FALSE(Get("Text1")->isEnabled());

    auto* chkIjo = Get<QCheckBox>("chkIjo");
    EXPECT_EQ(chkIjo->parentWidget(), Get("Frame1"));
    EXPECT_EQ(chkIjo->text(), U("異常を検出したときにはすぐに作成・メール送信する"));
    EXPECT_EQ(Get("Text6")->parentWidget(), Get("Frame4"));
    EXPECT_EQ(Get<QPushButton>("Command3")->text(), U("キャンセル"));
    EXPECT_EQ(Get("Frame3")->parentWidget(), Get("Frame5"));
    EXPECT_EQ(Get("Check1")->parentWidget(), Get("Frame5"));
}

TEST_F(ReportOptionDialogTest, TabOrderFollowsTheDesign) {
    const QStringList expected = {"Check1",  "optHourly",     "optDaily", "optWeekly", "optMonthly",
                                  "cboTime", "txtReportSave", "Command1", "Check2",    "Text1",
                                  "Text2",   "Text3",         "chkTls",   "Text4",     "Text5",
                                  "Text6",   "Check4",        "Command2", "Command3",  "chkIjo",
                                  "optPBS",  "optSMTPAuth",   "chkAuth"};
    QStringList chain;
    QWidget* w = Get("Check1");
    while (chain.size() < expected.size()) {
        chain << w->objectName();
        do {
            w = w->nextInFocusChain();
        } while (w->objectName().isEmpty() || w->focusPolicy() == Qt::NoFocus);
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(ReportOptionDialogTest, AutoOffWithMailOnLeavesCheck2DisabledButTheMailFieldsUsable) {
    settings_.Preset("SendByMail", "1");
    settings_.Preset("Auth", "1");
    settings_.Preset("AuthMethod", "POPBeforeSMTP");
    dialog_.Open();
    EXPECT_FALSE(Get("Check2")->isEnabled());
    EXPECT_TRUE(Get<QCheckBox>("Check2")->isChecked());
    for (const char* name : {"Text1", "Text3", "chkAuth", "optPBS", "Text4", "Text6"}) {
        EXPECT_TRUE(Get(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(Get<QRadioButton>("optPBS")->isChecked());
    EXPECT_FALSE(Get("txtReportSave")->isEnabled());
}

TEST_F(ReportOptionDialogTest, ClicksEnableTheirFieldsAndFrequencyIsStoredAtOnce) {
    dialog_.Open();
    Click("Check1");
    EXPECT_EQ(settings_.Peek("Auto"), "1");
    EXPECT_TRUE(Get("Check2")->isEnabled());
    EXPECT_FALSE(Get("Text1")->isEnabled());
    Click("Check2");
    EXPECT_TRUE(Get("Text1")->isEnabled());
    Click("chkAuth");
    EXPECT_TRUE(Get("Text5")->isEnabled());
    EXPECT_FALSE(Get("Text4")->isEnabled());
    Click("optPBS");
    EXPECT_TRUE(Get("Text4")->isEnabled());

    Click("optMonthly");
    auto* combo = Get<QComboBox>("cboTime");
    EXPECT_TRUE(combo->isVisible());
    EXPECT_EQ(combo->count(), 30);
    EXPECT_EQ(combo->currentText(), U("1日"));
    emit combo->activated(14);
    EXPECT_EQ(settings_.Peek("Freq"), "Monthly");
    EXPECT_EQ(settings_.Peek("Freq_Monthly"), "15日");
}

TEST_F(ReportOptionDialogTest, CancelKeepsOnlyTheKeysWrittenAtOnce) {
    dialog_.Open();
    Click("Check1");
    Click("optWeekly");
    emit Get<QComboBox>("cboTime")->activated(3);
    Type("txtReportSave", "/never/saved");
    Click("Command3");
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(settings_.Peek("Auto"), "1");
    EXPECT_EQ(settings_.Peek("Freq"), "Weekly");
    EXPECT_EQ(settings_.Peek("Freq_Weekly"), U("水曜日").toStdString());
    EXPECT_FALSE(settings_.Has("SaveTo"));
    EXPECT_TRUE(timerCalls_.empty());
}

TEST_F(ReportOptionDialogTest, StoredTimeOutsideTheListIsShownAndWrittenBackUnchanged) {
    settings_.Preset("Freq", "Daily");
    settings_.Preset("Freq_Daily", "25時");
    dialog_.Open();
    EXPECT_EQ(Get<QComboBox>("cboTime")->currentText(), U("25時"));
    EXPECT_EQ(Get<QComboBox>("cboTime")->count(), 24);
    EXPECT_EQ(settings_.writes[1], (test::MemorySettings::Access{"Report", "Freq_Daily", "25時"}));
}

TEST_F(ReportOptionDialogTest, ValidationMessagesComeOneAtATimeInOrder) {
    using namespace reportoption;
    dialog_.Open();
    TurnOnMailWithAuth();
    Click("optPBS");
    std::pair<const char*, std::string_view> steps[] = {
        {"txtReportSave", kNoSaveFolder}, {"Text1", kNoSendTo},    {"Text2", kNoSendFrom},
        {"Text3", kNoSmtpServer},         {"Text4", kNoPopServer}, {"Text5", kNoUserId},
        {"Text6", kNoPassword},
    };
    for (auto& [field, message] : steps) {
        MessageBox::ClearHistory();
        Click("Command2");
        ASSERT_EQ(Messages(), std::vector<QString>{U(message)});
        EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Information);
        EXPECT_TRUE(dialog_.isVisible());
        Type(field, std::string_view(field) == "txtReportSave"
                        ? QString::fromStdString(dir_.Path().string())
                        : QString("x"));
    }
    EXPECT_TRUE(timerCalls_.empty());
    EXPECT_FALSE(settings_.Has("SaveTo"));
    MessageBox::ClearHistory();
    Click("Command2");
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(timerCalls_, std::vector<bool>{true});
}

TEST_F(ReportOptionDialogTest, NonAsciiPasswordIsRefusedWithAMessage) {
    dialog_.Open();
    TurnOnMailWithAuth();
    Type("txtReportSave", QString::fromStdString(dir_.Path().string()));
    TypeMailFields(U("pw全角"));
    EXPECT_EQ(Get<QLineEdit>("Text6")->displayText(), "****");
    Click("Command2");
    EXPECT_EQ(Messages(), std::vector<QString>{U(reportoption::kPasswordNotAscii)});
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_FALSE(settings_.Has("Password"));
    EXPECT_TRUE(timerCalls_.empty());
}

TEST_F(ReportOptionDialogTest, OkSavesTheFieldsInOrderWithTheScrambledPassword) {
    dialog_.Open();
    TurnOnMailWithAuth();
    Click("Check4");
    Click("chkIjo");
    dialog_.SetFolderPicker([this](QWidget* owner, const QString& title) {
        EXPECT_EQ(owner, &dialog_);
        EXPECT_EQ(title, U("フォルダを指定"));
        return QString::fromStdString((dir_ / "picked").string());
    });
    Click("Command1");
    TypeMailFields("pw");
    settings_.writes.clear();
    Click("Command2");
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "picked"));
    EXPECT_EQ(settings_.WrittenKeys(),
              (std::vector<std::string>{"SaveTo", "SendByMail", "SendTo", "SendFrom", "SMTPServer",
                                        "Auth", "AuthMethod", "POPServer", "UserID", "Password",
                                        "Compress", "Immediate", "RequireTLS"}));
    EXPECT_EQ(settings_.Peek("SaveTo"), (dir_ / "picked").string());
    EXPECT_EQ(settings_.Peek("AuthMethod"), "SMTPAuth");
    EXPECT_EQ(settings_.Peek("Password"), *ScramblePassword("SET", "pw"));
    EXPECT_EQ(settings_.Peek("Immediate"), "1");
    EXPECT_EQ(timerCalls_, std::vector<bool>{true});
}

TEST_F(ReportOptionDialogTest, OpenWhileOpenOnlyRaisesAndAClosedDialogReloads) {
    dialog_.Open();
    Click("Check1");
    Click("Check2");
    Type("Text1", "typed");
    std::size_t writes = settings_.writes.size();
    dialog_.Open();
    EXPECT_EQ(settings_.writes.size(), writes);
    EXPECT_EQ(Get<QLineEdit>("Text1")->text(), "typed");
    dialog_.close();
    dialog_.Open();
    EXPECT_GT(settings_.writes.size(), writes);
    EXPECT_EQ(Get<QLineEdit>("Text1")->text(), "");
}

}  // namespace
}  // namespace kestrove
