#include "monitor/report/BackgroundReportMailer.h"

#include <utility>

#include "monitor/report/mail/MailTexts.h"

namespace kestrove {

BackgroundReportMailer::BackgroundReportMailer(ReportMailSender& sender, MailLibrary& mail,
                                               PostToMonitorThread post)
    : sender_(sender), mail_(mail), post_(std::move(post)) {}

BackgroundReportMailer::~BackgroundReportMailer() {
    Stop();
}

void BackgroundReportMailer::SendReportMail(std::string_view subject,
                                            const std::filesystem::path& attachment,
                                            MailDone done) {
    std::optional<ReportMail> mail = sender_.PrepareReportMail(subject, attachment);
    std::string_view refused;
    if (mail) {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            refused = mailtext::kAborted;
        } else if (waiting_.size() >= kMaxWaiting) {
            refused = mailtext::kTooManyWaiting;
        } else {
            waiting_.push_back({std::move(*mail), std::move(done)});
            if (!worker_.joinable()) {
                // Started with the first mail: a monitor that mails nothing has no thread for it.
                worker_ = std::thread([this] { Work(); });
            }
            wake_.notify_one();
            return;
        }
    }
    if (!refused.empty()) {
        LogNotSent(refused, 1);
    }
    if (done) {
        done();
    }
}

void BackgroundReportMailer::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        std::vector<std::string> errors = ReportMailSender::DeliverReportMail(mail_, job.mail);
        lock.lock();
        if (stopping_) {
            // Ended from outside: Stop() logs it as not sent, whatever the library said.
            cutOff_ = true;
            return;
        }
        finished_.push_back({std::move(errors), std::move(job.done)});
        post_([this, alive = alive_] {
            if (*alive) {
                TakeFinished(true);
            }
        });
    }
}

void BackgroundReportMailer::TakeFinished(bool callDone) {
    std::vector<Finished> finished;
    {
        std::lock_guard lock(mutex_);
        finished.swap(finished_);
    }
    for (Finished& f : finished) {
        sender_.LogMailErrors(f.errors);
        if (callDone && f.done) {
            f.done();
        }
    }
}

void BackgroundReportMailer::Stop() {
    std::size_t notSent = 0;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
        wake_.notify_one();
    }
    mail_.Abort();
    if (worker_.joinable()) {
        worker_.join();
    }
    {
        std::lock_guard lock(mutex_);
        notSent = waiting_.size() + (cutOff_ ? 1 : 0);
        waiting_.clear();
    }
    TakeFinished(false);
    LogNotSent(mailtext::kAborted, notSent);
    *alive_ = false;
}

void BackgroundReportMailer::LogNotSent(std::string_view why, std::size_t count) const {
    sender_.LogMailErrors(std::vector<std::string>(count, std::string(why)));
}

}  // namespace kestrove
