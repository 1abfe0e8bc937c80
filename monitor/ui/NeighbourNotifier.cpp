#include "monitor/ui/NeighbourNotifier.h"

namespace kestrove {

NeighbourNotifier::NeighbourNotifier(std::unique_ptr<NeighbourEvents> source,
                                     std::function<bool(NeighbourEvents&)> hear)
    : source_(std::move(source)), hear_(std::move(hear)) {
    if (!source_) {
        return;
    }
    if (source_->Handle() >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(source_->Handle(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Activated(); });
    } else if (source_->PollInterval().count() > 0) {
        poll_ = std::make_unique<QTimer>();
        // A coarse timer may fire up to 5% late; the interval is the promise.
        poll_->setTimerType(Qt::PreciseTimer);
        poll_->setInterval(source_->PollInterval());
        QObject::connect(poll_.get(), &QTimer::timeout, [this] { Activated(); });
        poll_->start();
    }
}

bool NeighbourNotifier::IsListening() const {
    return (notifier_ && notifier_->isEnabled()) || (poll_ && poll_->isActive());
}

void NeighbourNotifier::Stop() {
    stopped_ = true;
    SetListening(false);
}

void NeighbourNotifier::SetListening(bool on) {
    if (notifier_) {
        notifier_->setEnabled(on);
    }
    if (poll_) {
        if (on) {
            // The source may ask for longer after a slow read.
            poll_->start(source_->PollInterval());
        } else {
            poll_->stop();
        }
    }
}

void NeighbourNotifier::Activated() {
    // The engine may give way (a rescan after lost notifications); the socket stays readable
    // (the poll comes due) meanwhile and must not call in again before this round is done.
    SetListening(false);
    bool open = hear_(*source_);
    if (open && !stopped_) {
        SetListening(true);
    }
}

}  // namespace kestrove
