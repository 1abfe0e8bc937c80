#include "monitor/ui/QtTimers.h"

#include <QCoreApplication>
#include <QEventLoop>

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

void QtYielder::RunPendingEvents() {
    QCoreApplication::processEvents();
}

void QtYielder::Pause(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        // Quitting the application ends this loop too, so a shut-down is not held up.
        QEventLoop loop;
        QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    StartSlice();
}

}  // namespace kestrove
