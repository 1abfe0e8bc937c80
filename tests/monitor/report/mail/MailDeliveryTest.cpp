// Report mail against real servers that the test starts on loopback: aiosmtpd with STARTTLS
// and AUTH, a POP3 responder with STLS, the same without the upgrade or behind a relay that
// strips it, a port nobody listens on and a listener that never answers.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

#include "MailPeers.h"
#include "MailPlatform.h"
#include "common/Cp932.h"
#include "common/Utf8Path.h"
#include "monitor/report/ReportMailSender.h"
#include "monitor/report/mail/CurlMailLibrary.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/settings/IniFile.h"
#include "testsupport/FakeClock.h"
#include "testsupport/LinuxProgram.h"
#include "testsupport/SpecialFiles.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using namespace std::string_view_literals;
using test::ReadFile;

bool HasEventStartingWith(const std::vector<std::string>& events, std::string_view prefix) {
    return std::any_of(events.begin(), events.end(),
                       [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

constexpr const char* kPassword = "s3cret:Pw";
// The peers' certificate names both localhost and 127.0.0.1, but Schannel in this curl matches
// host names only: the peers are reached by name, as a user's mail server would be.
constexpr std::string_view kPeerHost = "localhost";
constexpr const char* kSubject = "報告書（異常発生)";

// Attachment bytes as an archive has them: NULs, CR LF and bytes above 0x7F.
constexpr std::string_view kAttachment =
    "PK\x03\x04\x14\0\0\0<html>\r\n\x83\x8C\x83|\x81[\x83g\0\xff</html>\r\n"sv;

class MailDeliveryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        certFolder_ = std::make_unique<test::TempFolder>();
        certificate_ = test::MakeTestCertificate(certFolder_->Path());
    }
    static void TearDownTestSuite() { certFolder_.reset(); }

    MailDeliveryTest() : ini_(IniFile::InFolder(dir_.Path())), log_(dir_.Path()) {
        options_.connectTimeout = 2s;
        options_.totalTimeout = 3s;
        options_.caFile = certificate_.ca;
        test::WriteMailSettings(ini_, kPassword);
        Set("Auth", "1");
        Set("AuthMethod", "SMTPAuth");
        ini_.WriteIni("Log", "Record", "0");
        std::filesystem::create_directories(dir_ / "log");
        attachment_ = dir_ / "log" / "Report_2007-05-05_14-03-09.zip";
        test::WriteFile(attachment_, kAttachment);
    }

    void Set(std::string_view key, std::string_view value) { ini_.WriteIni("Report", key, value); }
    static std::string HostPort(int port, std::string_view host = kPeerHost) {
        return std::string(host) + ":" + std::to_string(port);
    }
    void UseSmtp(int port, std::string_view host = kPeerHost) {
        Set("SMTPServer", HostPort(port, host));
    }
    test::MailPeers& StartPeers(const std::vector<std::string>& args = {},
                                const std::string& password = kPassword,
                                const test::TestCertificate& served = certificate_) {
        peers_.reset();
        peers_.emplace(dir_ / "peers", served, password, args);
        UseSmtp(peers_->SmtpPort());
        return *peers_;
    }

    // Sends through the real mail layer; returns how long the call took.
    std::chrono::milliseconds Send() {
        CurlMailLibrary mail(options_);
        ReportMailSender sender(ini_, log_, clock_, dir_.Path(), mail);
        auto start = std::chrono::steady_clock::now();
        sender.SendReportMail(kSubject, attachment_, {});
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }

    std::string Log() const { return Cp932ToUtf8(ReadFile(log_.Path())); }

    // The one mail-error line, checked for its form and for the password.
    std::string MailError() const {
        std::string log = Log();
        std::string prefix = "2007/05/05 14:03:09\tレポートメール送信エラー：";
        EXPECT_EQ(log.rfind(prefix, 0), 0u) << log;
        EXPECT_EQ(log.find("\r\n"), log.size() - 2) << log;
        EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;
        return log.substr(std::min(prefix.size(), log.size()));
    }

    static inline std::unique_ptr<test::TempFolder> certFolder_;
    static inline test::TestCertificate certificate_;
    test::TempFolder dir_;
    IniFile ini_;
    AlarmLog log_;
    test::FakeClock clock_;
    MailOptions options_;
    std::filesystem::path attachment_;
    std::optional<test::MailPeers> peers_;
};

TEST_F(MailDeliveryTest, ReportArrivesOverStartTlsWithSmtpAuth) {
    test::MailPeers& peers = StartPeers();
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();

    std::filesystem::path msg = peers.Message(1);
    EXPECT_EQ(ReadFile(msg / "tls"), "yes");
    EXPECT_EQ(ReadFile(msg / "mail_from"), "kestrove@example.org");
    EXPECT_EQ(ReadFile(msg / "rcpt_tos"), "a@example.org\nb@example.org\nc@example.org");
    EXPECT_EQ(ReadFile(msg / "subject"), kSubject);
    EXPECT_EQ(ReadFile(msg / "body"), "自動作成された報告書を添付します。\r\n");
    EXPECT_EQ(ReadFile(msg / "attachment_name"), "Report_2007-05-05_14-03-09.zip");
    EXPECT_EQ(ReadFile(msg / "attachment"), kAttachment);
    // The subject header, with its continuation lines, keeps every line within 76 characters.
    std::string raw = ReadFile(msg / "raw");
    std::size_t pos = raw.find("Subject: ");
    ASSERT_NE(pos, std::string::npos);
    do {
        std::size_t end = raw.find("\r\n", pos);
        EXPECT_LE(end - pos, 76u) << raw.substr(pos, end - pos);
        pos = end + 2;
    } while (raw[pos] == ' ');
    auto events = peers.Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "SMTP AUTH PLAIN ok"), events.end());
}

TEST_F(MailDeliveryTest, PopBeforeSmtpLogsInAndAsksStatBeforeTheSmtpSession) {
    test::MailPeers& peers = StartPeers({"--pop-before-smtp"});
    Set("AuthMethod", "POPBeforeSMTP");
    Set("POPServer", HostPort(peers.PopPort()));
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    auto events = peers.Events();
    ASSERT_GE(events.size(), 8u);
    EXPECT_EQ(events[0], "POP CAPA");
    EXPECT_EQ(events[1], "POP STLS");
    EXPECT_EQ(events[2], "POP CAPA");
    EXPECT_EQ(events[3], "POP USER reporter");
    EXPECT_EQ(events[4], std::string("POP PASS ") + kPassword);
    EXPECT_EQ(events[5], "POP STAT");
    EXPECT_EQ(events[6], "POP QUIT");
    EXPECT_EQ(events[7], "SMTP MAIL kestrove@example.org");
    EXPECT_EQ(ReadFile(peers.Message(1) / "subject"), kSubject);
}

TEST_F(MailDeliveryTest, ImplicitTlsServerIsReachedBySmtpsScheme) {
    test::MailPeers& peers = StartPeers({"--implicit-tls"});
    Set("SMTPServer", "smtps://" + HostPort(peers.SmtpPort()));
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(peers.Message(1) / "tls"), "yes");
}

// A password never crosses a connection that an attacker on the path could read.
TEST_F(MailDeliveryTest, SmtpAuthIsWithheldWhenStartTlsIsNotOfferedOrStripped) {
    for (const char* attack : {"--no-starttls", "--strip-starttls"}) {
        SCOPED_TRACE(attack);
        std::filesystem::remove(log_.Path());
        test::MailPeers& peers = StartPeers({attack});
        Send();
        EXPECT_EQ(MailError().rfind(mailtext::kNoEncryption, 0), 0u);
        auto events = peers.Events();
        EXPECT_FALSE(HasEventStartingWith(events, "SMTP AUTH"));
        EXPECT_FALSE(HasEventStartingWith(events, "RELAY AUTH"));
        EXPECT_FALSE(HasEventStartingWith(events, "SMTP MAIL"));
        if (attack == std::string_view("--strip-starttls")) {
            EXPECT_TRUE(HasEventStartingWith(events, "RELAY EHLO"));  // it did pass the relay
        }
        peers_.reset();
    }
}

TEST_F(MailDeliveryTest, PopLoginIsWithheldWithoutStlsAndTheSendStillRuns) {
    test::MailPeers& peers = StartPeers({"--pop-before-smtp", "--pop-no-stls"});
    Set("AuthMethod", "POPBeforeSMTP");
    Set("POPServer", HostPort(peers.PopPort()));
    Send();
    auto events = peers.Events();
    EXPECT_FALSE(HasEventStartingWith(events, "POP USER"));
    EXPECT_FALSE(HasEventStartingWith(events, "POP PASS"));
    EXPECT_TRUE(HasEventStartingWith(events, "SMTP MAIL"));  // refused: no POP login
    std::string log = Log();
    EXPECT_NE(log.find("レポートメール送信エラー：" + std::string(mailtext::kNoEncryption)),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("送信元アドレスが拒否されました"), std::string::npos) << log;
    EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;

    // curl's own login (no option word) is held back the same way.
    CurlMailLibrary mail(options_);
    std::string pop = HostPort(peers.PopPort());
    std::string error = mail.RcvMail(pop, "reporter", kPassword, "STAT", "/x");
    EXPECT_EQ(error.rfind(mailtext::kNoEncryption, 0), 0u) << error;
    EXPECT_FALSE(HasEventStartingWith(peers.Events(), "POP USER"));
    EXPECT_FALSE(HasEventStartingWith(peers.Events(), "POP AUTH"));
}

TEST_F(MailDeliveryTest, WithoutCredentialsStartTlsStaysOpportunistic) {
    test::MailPeers& peers = StartPeers({"--no-starttls", "--no-auth"});
    Set("Auth", "0");
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(peers.Message(1) / "tls"), "no");
}

// [Report] RequireTLS: the report itself (which lists the network's hosts and MACs) never
// crosses a connection an attacker on the path could read, login or not; where the relay
// strips STARTTLS the mail is refused before MAIL FROM, and said so. With TLS offered it goes.
TEST_F(MailDeliveryTest, RequireTlsKeepsEveryReportMailOffAStrippedConnection) {
    Set("Auth", "0");
    Set("RequireTLS", "1");
    test::MailPeers& stripped = StartPeers({"--strip-starttls", "--no-auth"});
    Send();
    EXPECT_EQ(MailError().rfind(mailtext::kNoEncryption, 0), 0u);
    auto events = stripped.Events();
    EXPECT_TRUE(HasEventStartingWith(events, "RELAY EHLO"));
    EXPECT_FALSE(HasEventStartingWith(events, "RELAY MAIL"));
    EXPECT_FALSE(HasEventStartingWith(events, "RELAY DATA"));
    EXPECT_FALSE(HasEventStartingWith(events, "SMTP MAIL"));

    std::filesystem::remove(log_.Path());
    test::MailPeers& offered = StartPeers({"--no-auth"});
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(offered.Message(1) / "tls"), "yes");

    // Absent, as in every setting.ini before it: TLS where offered, plain where not.
    std::filesystem::remove(log_.Path());
    peers_.reset();
    std::filesystem::remove_all(dir_ / "peers");  // the next peers number their mails afresh
    Set("RequireTLS", "0");
    test::MailPeers& plain = StartPeers({"--strip-starttls", "--no-auth"});
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_TRUE(HasEventStartingWith(plain.Events(), "RELAY MAIL"));
}

TEST_F(MailDeliveryTest, ServerNotListeningIsLoggedAtOnce) {
    UseSmtp(test::UnusedLoopbackPort(), "127.0.0.1");
    auto took = Send();
    EXPECT_NE(MailError().find("サーバーに接続できません（127.0.0.1:"), std::string::npos);
    EXPECT_LT(took, 2s);
}

TEST_F(MailDeliveryTest, WrongPasswordIsLoggedWithTheServersReply) {
    test::MailPeers& peers = StartPeers({}, "another password");
    Send();
    std::string error = MailError();
    EXPECT_EQ(error.rfind("認証に失敗しました", 0), 0u) << error;
    EXPECT_NE(error.find("535"), std::string::npos) << error;
    EXPECT_EQ(peers.Events().size(), 1u);  // the failed AUTH only: no message
}

TEST_F(MailDeliveryTest, RefusedRecipientIsLoggedAndNothingIsSent) {
    test::MailPeers& peers = StartPeers({"--refuse", "b@example.org"});
    Send();
    std::string error = MailError();
    EXPECT_EQ(error.rfind("送信先アドレスが拒否されました", 0), 0u) << error;
    EXPECT_NE(error.find("550 5.1.1 <b@example.org>"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(peers.Message(1)));
}

TEST_F(MailDeliveryTest, StalledServerIsGivenUpAfterTheConnectTimeout) {
    test::SilentListener silent;
    UseSmtp(silent.Port(), "127.0.0.1");
    auto took = Send();
    EXPECT_NE(MailError().find("サーバーの応答がタイムアウトしました"), std::string::npos);
    // Waiting for the greeting is part of connecting (2 s here).
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 10s);
}

// Whatever keeps the certificate from being verified stops the mail before AUTH or MAIL, with
// the same words on both TLS libraries: never a fall-back to plain text.
TEST_F(MailDeliveryTest, CertificateThatCannotBeVerifiedStopsTheMailBeforeAnyCommand) {
    struct Case {
        const char* what;
        const test::TestCertificate& served;
        std::filesystem::path trusted;
    };
    std::filesystem::create_directory(dir_ / "other");
    const test::TestCertificate other = test::MakeTestCertificate(dir_ / "other");
    const test::TestCertificate wrongName =
        test::MakeServerCertificate(certificate_, dir_ / "wrong-name", "DNS:mail.example.org");
    const Case cases[] = {
        {"signed by a CA that is not trusted", certificate_, other.ca},
        {"signed by the trusted CA for another name", wrongName, certificate_.ca},
        {"CA file missing", certificate_, dir_ / "missing.pem"},
        {"CA file holding no certificate", certificate_, attachment_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(log_.Path());
        test::MailPeers& peers = StartPeers({}, kPassword, c.served);
        options_.caFile = c.trusted;
        Send();
        std::string error = MailError();
        EXPECT_EQ(error.rfind(mailtext::kCertificateFailed, 0), 0u) << error;
        EXPECT_TRUE(peers.Events().empty());  // no AUTH, no MAIL in the clear
    }
}

// A private CA names no CRL as a rule; one that names a CRL nobody can reach (a server at the
// office, seen from home) must not stop the mail either: only a certificate known to be
// revoked would. OpenSSL in curl checks no revocation at all; Schannel is told to do its best.
// Under Wine the CRL is asked for (and refused here), but no outcome of the check reaches curl.
TEST_F(MailDeliveryTest, CertificateWhoseCrlCannotBeFetchedStillCarriesTheMail) {
    std::string crl = "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/ca.crl";
    auto served =
        test::MakeServerCertificate(certificate_, dir_ / "crl-out-of-reach", "DNS:localhost", crl);
    test::MailPeers& peers = StartPeers({}, kPassword, served);
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(peers.Message(1) / "tls"), "yes");
}

// Without a CA file the system's own trusted CAs decide, and the test CA is none of them.
TEST_F(MailDeliveryTest, WithoutACaFileTheSystemsTrustedCasDecide) {
    if (test::RunsUnderWine()) {
        GTEST_SKIP() << "Wine's Schannel does not check the server's certificate itself";
    }
    options_.caFile.clear();
    test::MailPeers& peers = StartPeers();
    Send();
    std::string error = MailError();
    EXPECT_EQ(error.rfind(mailtext::kCertificateFailed, 0), 0u) << error;
    EXPECT_TRUE(peers.Events().empty());
}

TEST_F(MailDeliveryTest, ReportInAFolderWithAJapaneseNameIsAttached) {
    std::filesystem::path folder = dir_.Path() / PathFromUtf8("監視ログ");
    std::filesystem::create_directories(folder);
    attachment_ = folder / "Report_2007-05-05_14-03-09.zip";
    test::WriteFile(attachment_, kAttachment);
    test::MailPeers& peers = StartPeers();
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(peers.Message(1) / "attachment_name"), "Report_2007-05-05_14-03-09.zip");
    EXPECT_EQ(ReadFile(peers.Message(1) / "attachment"), kAttachment);
}

TEST_F(MailDeliveryTest, CaFileInAFolderWithAJapaneseNameIsRead) {
    std::filesystem::path folder = dir_.Path() / PathFromUtf8("社内証明書");
    std::filesystem::create_directories(folder);
    options_.caFile = folder / PathFromUtf8("認証局.pem");
    std::filesystem::copy_file(certificate_.ca, options_.caFile);
    test::MailPeers& peers = StartPeers();
    Send();
    EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
    EXPECT_EQ(ReadFile(peers.Message(1) / "tls"), "yes");
}

// The certificate names 127.0.0.1 too. OpenSSL matches an address against the certificate's IP
// names; Schannel in this curl compares the names of the host only, so there a server given by
// its address is refused: never trusted without the match.
TEST_F(MailDeliveryTest, ServerGivenByItsAddressIsMatchedAgainstTheCertificatesIpName) {
    test::MailPeers& peers = StartPeers();
    UseSmtp(peers.SmtpPort(), "127.0.0.1");
    Send();
    if (test::kTlsMatchesIpAddresses) {
        EXPECT_FALSE(std::filesystem::exists(log_.Path())) << Log();
        EXPECT_EQ(ReadFile(peers.Message(1) / "tls"), "yes");
    } else {
        std::string error = MailError();
        EXPECT_EQ(error.rfind(mailtext::kCertificateFailed, 0), 0u) << error;
        EXPECT_TRUE(peers.Events().empty());
    }
}

TEST_F(MailDeliveryTest, UnreadableAttachmentIsReportedBeforeConnecting) {
    UseSmtp(test::UnusedLoopbackPort());
    std::filesystem::remove(attachment_);
    Send();
    EXPECT_EQ(MailError().rfind("添付ファイルを読み込めません", 0), 0u);
}

TEST_F(MailDeliveryTest, AttachmentPlacedAsASymlinkIsNotFollowedAndNothingIsSent) {
    // A dated copy that could not be written leaves its name free for a link to a private file.
    test::MailPeers& peers = StartPeers();
    std::filesystem::path secret = dir_ / "private-key";
    test::WriteFile(secret, "not for the mail");
    std::filesystem::remove(attachment_);
    if (!test::MakeFileLink(secret, attachment_)) {
        GTEST_SKIP() << "this system makes no file links";
    }
    Send();
    EXPECT_EQ(MailError().rfind("添付ファイルを読み込めません", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(peers.Message(1)));
}

TEST_F(MailDeliveryTest, RcvMailSaysWhatFailedWithoutThePassword) {
    test::MailPeers& peers = StartPeers();
    std::string pop = HostPort(peers.PopPort());
    CurlMailLibrary mail(options_);
    EXPECT_EQ(mail.RcvMail(pop, "reporter", std::string("a ") + kPassword, "STAT", "/x"), "");
    std::string wrong = mail.RcvMail(pop, "reporter", "a s3cret:wrong", "STAT", "/x");
    EXPECT_EQ(wrong.rfind("認証に失敗しました", 0), 0u) << wrong;
    EXPECT_EQ(wrong.find("s3cret"), std::string::npos) << wrong;
    EXPECT_EQ(mail.RcvMail(pop, "reporter", "a x\r\nDELE 1", "STAT", "/x"),
              "ユーザーIDまたはパスワードに使用できない文字が含まれています");
    // Without the option word curl picks the login; this server offers USER/PASS only.
    EXPECT_EQ(mail.RcvMail(pop, "reporter", kPassword, "STAT", "/x"), "");
    auto events = peers.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "POP STAT"), 2);
}

}  // namespace
}  // namespace kestrove
