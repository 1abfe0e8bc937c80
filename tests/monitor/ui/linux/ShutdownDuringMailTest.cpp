// The end of the monitor while a report mail hangs on a server gone silent after the message:
// the mail is cut off within 5 s, and the end line and hosts.dat are still written.
#include <QTest>

#include "../MonitorAppFixture.h"
#include "MailPeers.h"
#include "monitor/report/mail/CurlMailLibrary.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class ShutdownDuringMailTest : public MonitorAppFixture {
protected:
    TempFolder certFolder_;
    TestCertificate certificate_ = MakeTestCertificate(certFolder_.Path());
};

TEST_F(ShutdownDuringMailTest, AMailHeldAfterDataIsCutOffAndTheEndIsStillRecorded) {
    MailPeers peers(certFolder_ / "peers", certificate_, "pw", {"--no-auth", "--stall-after-data"});
    makeMail = [this] {
        MailOptions options;
        options.caFile = certificate_.ca;
        return std::make_unique<CurlMailLibrary>(options);
    };
    App();
    WriteMailSettings(app->Settings(), "pw");
    app->Settings().WriteIni("Report", "Auth", "0");
    app->Settings().WriteIni("Report", "SMTPServer",
                             "localhost:" + std::to_string(peers.SmtpPort()));
    app->Settings().WriteIni("Report", "Immediate", "1");
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(app->Start());
    app->Engine().ScanArpTable();
    arp->Replace("192.168.1.1", "02-00-00-00-00-66");
    app->Engine().ScanArpTable();
    ASSERT_TRUE(app->Immediate().timImmediate().IsActive());
    app->Immediate().timImmediate_Timer();  // the 30 s delay, over at once
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            auto events = peers.Events();
            return std::find(events.begin(), events.end(), "SMTP DATA") != events.end();
        },
        20000));

    auto start = std::chrono::steady_clock::now();
    app->Quit();
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 5s);
    RecordProperty(
        "quit_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[lines.size() - 2].find("プログラムの終了により送信を中止しました"),
              std::string::npos)
        << lines[lines.size() - 2];
    EXPECT_EQ(lines.back().substr(20), kEndMessage);
    // The host table is saved; a MAC that raised an alarm is not remembered until a clear.
    std::string hosts = ReadFile(dir / "hosts.dat");
    EXPECT_NE(hosts.find("host 192.168.1.1 00-AA-BB-CC-DD-0E"), std::string::npos) << hosts;
    EXPECT_EQ(hosts.find("02-00-00-00-00-66"), std::string::npos) << hosts;
}

}  // namespace
}  // namespace kestrove::test
