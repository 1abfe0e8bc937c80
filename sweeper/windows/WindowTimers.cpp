#include "sweeper/windows/WindowTimers.h"

namespace kestrove {

WindowTimers::~WindowTimers() {
    for (auto& [id, timer] : timers_) {
        ::KillTimer(window_, id);
    }
}

std::unique_ptr<Timer> WindowTimers::Create(std::chrono::milliseconds interval) {
    UINT_PTR id = nextId_++;
    auto timer = std::make_unique<WindowTimer>(*this, id, interval);
    timers_[id] = timer.get();
    return timer;
}

void WindowTimers::OnTimer(UINT_PTR id) {
    auto it = timers_.find(id);
    if (it == timers_.end() || !it->second->active_ || !it->second->handler_) {
        return;
    }
    // The handler may stop or destroy its own timer: call a copy.
    Timer::Handler handler = it->second->handler_;
    handler();
}

WindowTimer::~WindowTimer() {
    Stop();
    owner_.timers_.erase(id_);
}

// A timer with a zero interval never fires, as a window timer of the original forms.
void WindowTimer::Arm() {
    if (interval_.count() > 0) {
        ::SetTimer(owner_.window_, id_, static_cast<UINT>(interval_.count()), nullptr);
    } else {
        ::KillTimer(owner_.window_, id_);
    }
}

void WindowTimer::Start() {
    if (active_) {
        return;
    }
    active_ = true;
    Arm();
}

void WindowTimer::Stop() {
    active_ = false;
    ::KillTimer(owner_.window_, id_);
}

void WindowTimer::SetInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    if (active_) {
        Arm();  // SetTimer on a running id starts its count again
    }
}

}  // namespace kestrove
