#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "common/Timer.h"

namespace kestrove {

// Window timers on QTimer. A handler that throws ends the program through `onFatal`: the
// monitor cannot go on watching with its state half updated.
class QtTimer final : public Timer {
public:
    QtTimer(std::chrono::milliseconds interval, const std::function<void()>& onFatal);

    void Start() override;
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }
    void SetInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds Interval() const override { return timer_.intervalAsDuration(); }
    void SetHandler(Handler handler) override { handler_ = std::move(handler); }

private:
    QTimer timer_;
    Handler handler_;
};

class QtTimerFactory final : public TimerFactory {
public:
    explicit QtTimerFactory(std::function<void()> onFatal) : onFatal_(std::move(onFatal)) {}
    std::unique_ptr<Timer> Create(std::chrono::milliseconds interval) override;

private:
    std::function<void()> onFatal_;
};

}  // namespace kestrove
