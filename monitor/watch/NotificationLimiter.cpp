#include "monitor/watch/NotificationLimiter.h"

namespace kestrove {

std::string SummedUpNotification(const std::string& first, std::size_t more) {
    if (more == 0) {
        return first;
    }
    return first + "\n" + std::string(kSummedUpBefore) + std::to_string(more) +
           std::string(kSummedUpAfter);
}

NotificationLimiter::NotificationLimiter(const Clock& clock, TimerFactory& timers, Show show)
    : clock_(clock), timer_(timers.Create(kMinGap)), show_(std::move(show)) {
    timer_->SetHandler([this] { Flush(); });
}

void NotificationLimiter::Post(std::string text) {
    TimePoint now = clock_.Now();
    if (waiting_ == 0 && (!lastShown_ || now - *lastShown_ >= kMinGap)) {
        lastShown_ = now;
        show_(text);
        return;
    }
    if (waiting_++ == 0) {
        first_ = std::move(text);
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(kMinGap - (now - *lastShown_));
        timer_->SetInterval(std::max(left, std::chrono::milliseconds(1)));
        timer_->Start();
    }
}

void NotificationLimiter::Flush() {
    timer_->Stop();
    if (waiting_ == 0) {
        return;
    }
    std::string text = SummedUpNotification(first_, waiting_ - 1);
    waiting_ = 0;
    first_.clear();
    lastShown_ = clock_.Now();
    show_(text);
}

}  // namespace kestrove
