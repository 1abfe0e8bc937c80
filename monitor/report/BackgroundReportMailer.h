#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/MonitorThread.h"
#include "monitor/report/ReportMailSender.h"
#include "monitor/report/mail/MailLibrary.h"

namespace kestrove {

// Sends report mails on a thread of their own, one at a time in the order made, so a slow or
// stalled mail server (one an attacker on the path can stall at will) never holds the monitor
// still: its scans, the kernel's notifications, the alarms and the window go on meanwhile.
// The settings are read when the report is made; the outcome is logged, and `done` called, on
// the monitor's thread once the mail step is over.
class BackgroundReportMailer final : public ReportMailer {
public:
    // More reports waiting than this are not sent and say so in the log; a server that stalls
    // every mail would otherwise let them pile up without end.
    static constexpr std::size_t kMaxWaiting = 8;

    BackgroundReportMailer(ReportMailSender& sender, MailLibrary& mail, PostToMonitorThread post);
    ~BackgroundReportMailer() override;
    BackgroundReportMailer(const BackgroundReportMailer&) = delete;
    BackgroundReportMailer& operator=(const BackgroundReportMailer&) = delete;

    void SendReportMail(std::string_view subject, const std::filesystem::path& attachment,
                        MailDone done) override;

    // For the program's end: ends the mail under way at once and waits for the thread. What
    // had finished is logged; the mail under way and every waiting one are logged as not
    // sent. No `done` comes after this, and later mails are not sent.
    void Stop();

private:
    struct Job {
        ReportMail mail;
        MailDone done;
    };
    struct Finished {
        std::vector<std::string> errors;
        MailDone done;
    };

    void Work();
    // Logs what the thread has finished and calls their `done`.
    void TakeFinished(bool callDone);
    void LogNotSent(std::string_view why, std::size_t count) const;

    ReportMailSender& sender_;
    MailLibrary& mail_;
    PostToMonitorThread post_;
    // Lives as long as a posted task may still look at it: false once this object is stopped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> waiting_;
    std::vector<Finished> finished_;
    bool cutOff_ = false;  // the mail under way at Stop()
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace kestrove
