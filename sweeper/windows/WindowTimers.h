#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <memory>

#include "common/Timer.h"

namespace kestrove {

class WindowTimer;

// Window timers (SetTimer) of one window, dispatched from its WM_TIMER messages.
class WindowTimers final : public TimerFactory {
public:
    explicit WindowTimers(HWND window) : window_(window) {}
    ~WindowTimers() override;
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    std::unique_ptr<Timer> Create(std::chrono::milliseconds interval) override;

    // Runs the handler of the timer with this id, if it still exists and runs.
    void OnTimer(UINT_PTR id);

private:
    friend class WindowTimer;
    HWND window_;
    UINT_PTR nextId_ = 1;
    std::map<UINT_PTR, WindowTimer*> timers_;
};

class WindowTimer final : public Timer {
public:
    WindowTimer(WindowTimers& owner, UINT_PTR id, std::chrono::milliseconds interval)
        : owner_(owner), id_(id), interval_(interval) {}
    ~WindowTimer() override;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void Start() override;
    void Stop() override;
    bool IsActive() const override { return active_; }
    void SetInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds Interval() const override { return interval_; }
    void SetHandler(Handler handler) override { handler_ = std::move(handler); }

private:
    friend class WindowTimers;
    void Arm();

    WindowTimers& owner_;
    UINT_PTR id_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    Handler handler_;
};

}  // namespace kestrove
