#include "monitor/report/ReportMailSender.h"

#include <gtest/gtest.h>

#include "MailPeers.h"
#include "common/Cp932.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/settings/IniFile.h"
#include "monitor/settings/PasswordScrambler.h"
#include "testsupport/FakeClock.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

struct Call {
    std::string function;
    std::vector<std::string> args;
};

class RecordingMail final : public MailLibrary {
public:
    std::string SendMail(std::string_view server, std::string_view recipients,
                         std::string_view sender, std::string_view subject, std::string_view body,
                         std::string_view attachment) override {
        calls.push_back({"SendMail",
                         {std::string(server), std::string(recipients), std::string(sender),
                          std::string(subject), std::string(body), std::string(attachment)}});
        return sendResult;
    }
    std::string RcvMail(std::string_view popServer, std::string_view user,
                        std::string_view password, std::string_view command,
                        std::string_view folder) override {
        calls.push_back({"RcvMail",
                         {std::string(popServer), std::string(user), std::string(password),
                          std::string(command), std::string(folder)}});
        return rcvResult;
    }

    std::vector<Call> calls;
    std::string sendResult;
    std::string rcvResult = "POP failure that nobody looks at";
};

class ReportMailSenderTest : public ::testing::Test {
protected:
    ReportMailSenderTest() : ini_(IniFile::InFolder(dir_.Path())), log_(dir_.Path()) {
        test::WriteMailSettings(ini_, "pw:1");
        Set("SMTPServer", "mail.example.org");
        Set("POPServer", "pop.example.org");
    }

    void Set(std::string_view key, std::string_view value) { ini_.WriteIni("Report", key, value); }
    void Send() { sender_.SendReportMail("報告書（異常発生)", dir_ / "Report_x.zip", {}); }
    std::string Log() const { return Cp932ToUtf8(test::ReadFile(log_.Path())); }

    test::TempFolder dir_;
    IniFile ini_;
    AlarmLog log_;
    test::FakeClock clock_;
    RecordingMail mail_;
    ReportMailSender sender_{ini_, log_, clock_, dir_.Path(), mail_};
};

TEST_F(ReportMailSenderTest, PlainSendPassesTheArgumentFormsOfTheMailLibrary) {
    Send();
    ASSERT_EQ(mail_.calls.size(), 1u);
    EXPECT_EQ(mail_.calls[0].function, "SendMail");
    EXPECT_EQ(mail_.calls[0].args,
              (std::vector<std::string>{
                  "mail.example.org", "a@example.org\tb@example.org\tc@example.org",
                  "kestrove@example.org", "報告書（異常発生)",
                  "自動作成された報告書を添付します。\r\n", (dir_ / "Report_x.zip").string()}));
    EXPECT_FALSE(std::filesystem::exists(log_.Path()));
}

TEST_F(ReportMailSenderTest, NothingIsSentUnlessSendByMailIsExactlyOne) {
    for (const char* value : {"0", "", "true"}) {
        Set("SendByMail", value);
        Send();
    }
    EXPECT_TRUE(mail_.calls.empty());
}

TEST_F(ReportMailSenderTest, UnscrambledCredentialsGoWhereTheMethodNeedsThem) {
    struct Case {
        const char* auth;
        const char* method;
        const char* password;
        const char* firstCallCredential;  // SendMail's sender or RcvMail's password
    };
    const Case cases[] = {
        {"1", "SMTPAuth", "pw:1", "kestrove@example.org\treporter:pw:1"},
        {"1", "SMTPAuth", "", "kestrove@example.org\treporter:"},
        {"1", "POPBeforeSMTP", "pw:1", "a pw:1"},
        {"1", "POPBeforeSMTP", "", "a "},
        {"", "SMTPAuth", "pw:1", "kestrove@example.org"},
        {"1", "smtpauth", "pw:1", "kestrove@example.org"},
    };
    for (const Case& c : cases) {
        Set("Auth", c.auth);
        Set("AuthMethod", c.method);
        Set("Password", *ScramblePassword("SET", c.password));
        mail_.calls.clear();
        Send();
        ASSERT_FALSE(mail_.calls.empty());
        EXPECT_EQ(mail_.calls[0].args[2], c.firstCallCredential) << c.method << " " << c.password;
    }
}

TEST_F(ReportMailSenderTest, PopBeforeSmtpLogsInFirstWithTheOptionWordAndStat) {
    Set("Auth", "1");
    Set("AuthMethod", "POPBeforeSMTP");
    Send();
    ASSERT_EQ(mail_.calls.size(), 2u);
    EXPECT_EQ(mail_.calls[0].function, "RcvMail");
    EXPECT_EQ(mail_.calls[0].args,
              (std::vector<std::string>{"pop.example.org", "reporter", "a pw:1", "STAT",
                                        dir_.Path().string()}));
    EXPECT_EQ(mail_.calls[1].function, "SendMail");
    EXPECT_EQ(mail_.calls[1].args[2], "kestrove@example.org");
}

TEST_F(ReportMailSenderTest, EmptySettingsArePassedUnchangedAndTheErrorIsLogged) {
    Set("SendTo", "");
    Set("SMTPServer", "");
    ini_.WriteIni("Log", "Record", "0");
    mail_.sendResult = "no server";
    clock_.SetLocal(2007, 5, 5, 14, 3, 9);
    Send();
    EXPECT_EQ(mail_.calls[0].args[0], "");
    EXPECT_EQ(mail_.calls[0].args[1], "");
    // Written while recording is off.
    EXPECT_EQ(Log(), "2007/05/05 14:03:09\tレポートメール送信エラー：no server\r\n");
}

TEST_F(ReportMailSenderTest, HostileErrorTextStaysOneLineOfPrintableCharacters) {
    const std::string longReply = "550 " + std::string(507, 'x') + "変";  // 変 spans byte 512
    struct Case {
        std::string returned;
        std::string logged;
    };
    const Case cases[] = {
        {"550 no\r\n2007/05/05 14:03:09\tMACアドレスが変化しました\t(x)", "550 no"},
        {"550 a\tMACアドレスが変化しました", "550 a MACアドレスが変化しました"},
        {"550 bell\a del\x7f c1\xc2\x85 end", "550 bell  del  c1  end"},
        // Reversed by a bidirectional override, and bytes that are no UTF-8 (CP932 has no
        // U+FFFD: "?").
        {"550 \xE2\x80\xAEgol.exe\xE2\x81\xA6 \xff\xc3( end", "550 gol.exe ?" "?( end"},
        {"\n550 nothing before the break", ""},
        {longReply, longReply.substr(0, 511)},
    };
    clock_.SetLocal(2007, 5, 5, 14, 3, 9);
    for (const Case& c : cases) {
        std::filesystem::remove(log_.Path());
        mail_.sendResult = c.returned;
        Send();
        EXPECT_EQ(Log(), "2007/05/05 14:03:09\tレポートメール送信エラー：" + c.logged + "\r\n")
            << c.returned;
    }
}

TEST_F(ReportMailSenderTest, PopLoginWithheldForWantOfTlsIsLoggedAndTheSendGoesAhead) {
    Set("Auth", "1");
    Set("AuthMethod", "POPBeforeSMTP");
    clock_.SetLocal(2007, 5, 5, 14, 3, 9);
    Send();  // another POP failure: the SMTP answer tells
    EXPECT_FALSE(std::filesystem::exists(log_.Path()));

    mail_.rcvResult = std::string(mailtext::kNoEncryption) + "（pop.example.org:110）";
    mail_.calls.clear();
    Send();
    ASSERT_EQ(mail_.calls.size(), 2u);
    EXPECT_EQ(mail_.calls[1].function, "SendMail");
    EXPECT_EQ(Log(), "2007/05/05 14:03:09\tレポートメール送信エラー：" + mail_.rcvResult + "\r\n");
}

}  // namespace
}  // namespace kestrove
