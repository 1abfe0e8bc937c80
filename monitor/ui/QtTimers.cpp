#include "monitor/ui/QtTimers.h"

namespace kestrove {

QtTimer::QtTimer(std::chrono::milliseconds interval, const std::function<void()>& onFatal) {
    timer_.setInterval(interval);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this, onFatal] {
        if (!handler_) {
            return;
        }
        try {
            handler_();
        } catch (...) {
            timer_.stop();
            if (onFatal) {
                onFatal();
            }
        }
    });
}

void QtTimer::Start() {
    // Enabling a running window timer does not restart its count.
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void QtTimer::SetInterval(std::chrono::milliseconds interval) {
    timer_.setInterval(interval);
}

std::unique_ptr<Timer> QtTimerFactory::Create(std::chrono::milliseconds interval) {
    return std::make_unique<QtTimer>(interval, onFatal_);
}

}  // namespace kestrove
