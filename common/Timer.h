#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace kestrove {

// A repeating window-style timer. Start() enables it (no effect while it already runs),
// Stop() disables it; a handler that stops its own timer at its start and starts it again at
// its end measures the interval from the end of one tick to the start of the next.
class Timer {
public:
    using Handler = std::function<void()>;

    virtual ~Timer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // Changing the interval of a running timer starts its count again.
    virtual void SetInterval(std::chrono::milliseconds interval) = 0;
    virtual std::chrono::milliseconds Interval() const = 0;
    virtual void SetHandler(Handler handler) = 0;

    void SetEnabled(bool enabled) { enabled ? Start() : Stop(); }
};

// Makes the timers of one window; the Qt layer gives QTimer-backed ones, tests fake ones.
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> Create(std::chrono::milliseconds interval) = 0;
};

}  // namespace kestrove
