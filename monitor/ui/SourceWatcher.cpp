#include "monitor/ui/SourceWatcher.h"

namespace kestrove {

SourceWatcher::SourceWatcher(int handle, std::chrono::milliseconds pollInterval,
                             std::function<bool()> ready)
    : ready_(std::move(ready)) {
    if (handle >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Ready(); });
    } else if (pollInterval.count() > 0) {
        timer_ = std::make_unique<QTimer>();
        timer_->setInterval(pollInterval);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { Ready(); });
        timer_->start();
    }
}

bool SourceWatcher::IsWatching() const {
    return !stopped_ && ((notifier_ && notifier_->isEnabled()) || (timer_ && timer_->isActive()));
}

void SourceWatcher::Stop() {
    stopped_ = true;
    if (notifier_) {
        notifier_->setEnabled(false);
    }
    if (timer_) {
        timer_->stop();
    }
}

void SourceWatcher::Ready() {
    // Not called in again before this round is done.
    if (notifier_) {
        notifier_->setEnabled(false);
    }
    bool open = ready_();
    if (!open || stopped_) {
        Stop();
    } else if (notifier_) {
        notifier_->setEnabled(true);
    }
}

}  // namespace kestrove
