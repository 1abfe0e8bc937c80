#include "monitor/ui/QtTimers.h"

#include <QCoreApplication>
#include <QThread>

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

void QtYielder::GiveWay() {
    QThread::msleep(1);
    QCoreApplication::processEvents();
}

void QtYielder::Pause(std::chrono::milliseconds duration) {
    for (auto left = duration; left.count() > 0; left -= std::chrono::milliseconds(10)) {
        QThread::msleep(10);
        QCoreApplication::processEvents();
    }
}

}  // namespace kestrove
