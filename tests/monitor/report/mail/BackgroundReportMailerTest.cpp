#include "monitor/report/BackgroundReportMailer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "MailPeers.h"
#include "common/Cp932.h"
#include "monitor/report/mail/CurlMailLibrary.h"
#include "monitor/settings/IniFile.h"
#include "testsupport/FakeClock.h"
#include "testsupport/LoopbackSocket.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// What the mail thread posts, run when the test says, as the monitor's event loop would.
class PostedTasks {
public:
    PostToMonitorThread Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            arrived_.notify_all();
        };
    }
    // Waits up to `timeout` for a task and runs what there is; false when none came.
    bool RunWithin(std::chrono::milliseconds timeout) {
        std::deque<std::function<void()>> tasks;
        {
            std::unique_lock lock(mutex_);
            if (!arrived_.wait_for(lock, timeout, [this] { return !tasks_.empty(); })) {
                return false;
            }
            tasks.swap(tasks_);
        }
        for (auto& task : tasks) {
            task();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> tasks_;
};

class BackgroundReportMailerTest : public ::testing::Test {
protected:
    BackgroundReportMailerTest() : ini_(IniFile::InFolder(dir_.Path())), log_(dir_.Path()) {
        test::WriteMailSettings(ini_, "pw:1");
        test::WriteFile(attachment_, "<html>report</html>");
    }

    void UseSmtpPort(int port) {
        ini_.WriteIni("Report", "SMTPServer", "127.0.0.1:" + std::to_string(port));
    }
    // Sends and returns how long the monitor's thread was held.
    std::chrono::milliseconds Send(int* doneCount = nullptr) {
        auto start = SteadyClock::now();
        background_.SendReportMail("報告書（異常発生)", attachment_, [doneCount] {
            if (doneCount != nullptr) {
                ++*doneCount;
            }
        });
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
    }
    std::string Log() const { return Cp932ToUtf8(test::ReadFile(log_.Path())); }
    std::size_t Count(std::string_view what) const { return test::Occurrences(Log(), what); }

    test::TempFolder dir_;
    std::filesystem::path attachment_ = dir_ / "Report_x.htm";
    IniFile ini_;
    AlarmLog log_;
    test::FakeClock clock_;
    CurlMailLibrary mail_;
    ReportMailSender sender_{ini_, log_, clock_, dir_.Path(), mail_};
    PostedTasks posted_;
    BackgroundReportMailer background_{sender_, mail_, posted_.Poster()};
};

TEST_F(BackgroundReportMailerTest, OutcomeIsLoggedOnTheMonitorThreadAndThenDoneIsCalled) {
    int done = 0;
    ini_.WriteIni("Report", "SendByMail", "0");
    Send(&done);
    EXPECT_EQ(done, 1) << "nothing to send: done at once";
    EXPECT_FALSE(posted_.RunWithin(0ms));

    ini_.WriteIni("Report", "SendByMail", "1");
    UseSmtpPort(test::UnusedLoopbackPort());
    Send(&done);
    EXPECT_EQ(done, 1);
    ASSERT_TRUE(posted_.RunWithin(20s));
    EXPECT_EQ(done, 2);
    EXPECT_NE(Log().find("レポートメール送信エラー：サーバーに接続できません（127.0.0.1:"),
              std::string::npos)
        << Log();
}

// The server takes the connection and never greets, as an attacker on the path can make any
// server do: the monitor's thread goes on at once, and the end cuts the mail off at once
// instead of after the connect timeout (15 s).
TEST_F(BackgroundReportMailerTest, StalledServerHoldsOnlyTheMailThreadAndTheEndCutsItOff) {
    test::LoopbackSocket server(16);
    UseSmtpPort(server.Port());
    int done = 0;
    EXPECT_LT(Send(&done), 1s);
    // Kept open and silent: the first mail is under way and stays so.
    std::optional<test::LoopbackSocket> first = server.Accept(10s);
    ASSERT_TRUE(first);
    for (std::size_t i = 0; i < BackgroundReportMailer::kMaxWaiting; ++i) {
        EXPECT_LT(Send(&done), 1s);
    }
    EXPECT_EQ(Count("送信待ち"), 0u);
    Send(&done);
    EXPECT_EQ(done, 1) << "one more than are kept waiting is refused at once";
    EXPECT_EQ(Count("レポートメール送信エラー：送信待ちのメールが多すぎるため送信しませんでした"),
              1u);

    auto start = SteadyClock::now();
    background_.Stop();
    EXPECT_LT(SteadyClock::now() - start, 5s);
    EXPECT_EQ(Count("レポートメール送信エラー：プログラムの終了により送信を中止しました"),
              1 + BackgroundReportMailer::kMaxWaiting)
        << Log();
    posted_.RunWithin(0ms);
    EXPECT_EQ(done, 1) << "no done after the end";

    Send(&done);
    EXPECT_EQ(Count("プログラムの終了により送信を中止しました"),
              2 + BackgroundReportMailer::kMaxWaiting)
        << "a mail made after the end is not sent, and says so";
}

// POP before SMTP: a POP server that never greets holds the mail thread only, and the end cuts
// the login off too.
TEST_F(BackgroundReportMailerTest, StalledPopLoginIsCutOffByTheEnd) {
    test::LoopbackSocket pop(4);
    ini_.WriteIni("Report", "Auth", "1");
    ini_.WriteIni("Report", "AuthMethod", "POPBeforeSMTP");
    ini_.WriteIni("Report", "POPServer", "127.0.0.1:" + std::to_string(pop.Port()));
    UseSmtpPort(test::UnusedLoopbackPort());
    EXPECT_LT(Send(), 1s);
    std::optional<test::LoopbackSocket> login = pop.Accept(10s);
    ASSERT_TRUE(login);
    auto start = SteadyClock::now();
    background_.Stop();
    EXPECT_LT(SteadyClock::now() - start, 5s);
    EXPECT_EQ(Count("プログラムの終了により送信を中止しました"), 1u) << Log();
}

}  // namespace
}  // namespace kestrove
