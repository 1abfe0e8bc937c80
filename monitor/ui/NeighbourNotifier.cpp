#include "monitor/ui/NeighbourNotifier.h"

namespace kestrove {

NeighbourNotifier::NeighbourNotifier(std::unique_ptr<NeighbourEvents> source,
                                     std::function<bool(NeighbourEvents&)> hear)
    : source_(std::move(source)), hear_(std::move(hear)) {
    if (!source_ || source_->Handle() < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(source_->Handle(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Activated(); });
}

void NeighbourNotifier::Stop() {
    stopped_ = true;
    if (notifier_) {
        notifier_->setEnabled(false);
    }
}

void NeighbourNotifier::Activated() {
    // Not called in again before this round is done (a rescan after lost notifications
    // included).
    notifier_->setEnabled(false);
    bool open = hear_(*source_);
    if (open && !stopped_) {
        notifier_->setEnabled(true);
    }
}

}  // namespace kestrove
