#include "monitor/ui/SourceWatcher.h"

namespace kestrove {

SourceWatcher::SourceWatcher(int handle, Interval pollInterval, std::function<bool()> ready)
    : pollInterval_(std::move(pollInterval)), ready_(std::move(ready)) {
    if (handle >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Ready(); });
    } else if (pollInterval_ && pollInterval_().count() > 0) {
        timer_ = std::make_unique<QTimer>();
        // A coarse timer may fire up to 5% late; the interval is the promise.
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { Ready(); });
        SetWatching(true);
    }
}

bool SourceWatcher::IsWatching() const {
    return !stopped_ && ((notifier_ && notifier_->isEnabled()) || (timer_ && timer_->isActive()));
}

void SourceWatcher::Stop() {
    stopped_ = true;
    SetWatching(false);
}

void SourceWatcher::SetWatching(bool on) {
    if (notifier_) {
        notifier_->setEnabled(on);
    }
    if (timer_) {
        if (on) {
            timer_->start(pollInterval_());
        } else {
            timer_->stop();
        }
    }
}

void SourceWatcher::Ready() {
    // Not called in again before this round is done (a rescan after lost notifications
    // included).
    SetWatching(false);
    bool open = ready_();
    if (open && !stopped_) {
        SetWatching(true);
    } else {
        Stop();
    }
}

}  // namespace kestrove
