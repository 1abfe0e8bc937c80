#include "sweeper/linux/EventLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace kestrove {
namespace {

EventLoop::SteadyTime SteadyNow() {
    return std::chrono::steady_clock::now();
}

}  // namespace

EventLoop::~EventLoop() {
    for (LoopTimer* timer : timers_) {
        timer->loop_ = nullptr;
    }
}

std::unique_ptr<Timer> EventLoop::Create(std::chrono::milliseconds interval) {
    return std::make_unique<LoopTimer>(*this, interval);
}

void EventLoop::WatchReadable(int fd, std::function<void()> handler) {
    watches_.push_back({fd, std::move(handler)});
}

void EventLoop::Quit(int exitCode) {
    quit_ = true;
    exitCode_ = exitCode;
}

LoopTimer* EventLoop::NextDue() const {
    LoopTimer* next = nullptr;
    for (LoopTimer* timer : timers_) {
        if (timer->Armed() && (next == nullptr || timer->due_ < next->due_)) {
            next = timer;
        }
    }
    return next;
}

int EventLoop::PollTimeoutMs() const {
    LoopTimer* next = NextDue();
    if (next == nullptr) {
        return -1;
    }
    auto left = next->due_ - SteadyNow();
    if (left <= decltype(left)::zero()) {
        return 0;
    }
    // Rounded up: waking a little early would only spin until the timer is due.
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<decltype(ms)>(ms, 24 * 3600 * 1000));
}

void EventLoop::FireDueTimers() {
    // One at a time, looked up afresh: a handler may stop, start or destroy any timer. A fired
    // or restarted timer is due after `now`, so each fires at most once per pass.
    SteadyTime now = SteadyNow();
    while (!quit_) {
        LoopTimer* next = NextDue();
        if (next == nullptr || next->due_ > now) {
            return;
        }
        next->Fire(now);
    }
}

int EventLoop::Run() {
    quit_ = false;
    std::vector<pollfd> fds;
    while (!quit_) {
        fds.clear();
        for (const Watch& watch : watches_) {
            fds.push_back({watch.fd, POLLIN, 0});
        }
        int ready = ::poll(fds.data(), fds.size(), PollTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            return 1;
        }
        for (std::size_t i = 0; i < fds.size() && ready > 0 && !quit_; ++i) {
            if (fds[i].revents != 0) {
                watches_[i].handler();
            }
        }
        FireDueTimers();
    }
    return exitCode_;
}

LoopTimer::LoopTimer(EventLoop& loop, std::chrono::milliseconds interval)
    : loop_(&loop), interval_(interval) {
    loop_->timers_.push_back(this);
}

LoopTimer::~LoopTimer() {
    if (loop_ != nullptr) {
        auto& timers = loop_->timers_;
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }
}

void LoopTimer::Start() {
    if (active_) {
        return;
    }
    active_ = true;
    due_ = SteadyNow() + interval_;
}

void LoopTimer::SetInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    if (active_) {
        due_ = SteadyNow() + interval_;
    }
}

void LoopTimer::Fire(EventLoop::SteadyTime now) {
    due_ += interval_;
    // After a long stall (a suspended machine) the timer does not fire a burst to catch up.
    if (due_ <= now) {
        due_ = now + interval_;
    }
    if (handler_) {
        Handler copy = handler_;
        copy();
    }
}

}  // namespace kestrove
