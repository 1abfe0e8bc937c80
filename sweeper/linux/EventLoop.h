#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "common/Timer.h"

namespace kestrove {

class LoopTimer;

// The sweeper's whole main loop: timers and readable descriptors, waited for with poll().
// Single-threaded; handlers may start, stop or destroy timers and end the loop.
class EventLoop final : public TimerFactory {
public:
    using SteadyTime = std::chrono::steady_clock::time_point;

    EventLoop() = default;
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    std::unique_ptr<Timer> Create(std::chrono::milliseconds interval) override;

    // Calls `handler` whenever `fd` is readable; the descriptor stays the caller's.
    void WatchReadable(int fd, std::function<void()> handler);

    // Runs until Quit(); returns the code given to it.
    int Run();
    void Quit(int exitCode);

private:
    friend class LoopTimer;
    LoopTimer* NextDue() const;
    void FireDueTimers();
    int PollTimeoutMs() const;

    struct Watch {
        int fd;
        std::function<void()> handler;
    };
    std::vector<LoopTimer*> timers_;
    std::vector<Watch> watches_;
    bool quit_ = false;
    int exitCode_ = 0;
};

class LoopTimer final : public Timer {
public:
    LoopTimer(EventLoop& loop, std::chrono::milliseconds interval);
    ~LoopTimer() override;
    LoopTimer(const LoopTimer&) = delete;
    LoopTimer& operator=(const LoopTimer&) = delete;

    void Start() override;
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    void SetInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds Interval() const override { return interval_; }
    void SetHandler(Handler handler) override { handler_ = std::move(handler); }

private:
    friend class EventLoop;
    // A timer with a zero interval never fires, as a window timer.
    bool Armed() const { return active_ && interval_.count() > 0; }
    void Fire(EventLoop::SteadyTime now);

    EventLoop* loop_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    EventLoop::SteadyTime due_{};
    Handler handler_;
};

}  // namespace kestrove
