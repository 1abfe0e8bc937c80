#include "testsupport/FakeTimers.h"

#include <algorithm>

namespace kestrove::test {

FakeTimerFactory::~FakeTimerFactory() {
    for (FakeTimer* t : timers_) {
        t->factory_ = nullptr;
    }
}

std::unique_ptr<Timer> FakeTimerFactory::Create(std::chrono::milliseconds interval) {
    return std::make_unique<FakeTimer>(*this, interval);
}

FakeTimer* FakeTimerFactory::NextDue(TimePoint limit) const {
    FakeTimer* next = nullptr;
    for (FakeTimer* t : timers_) {
        // A zero interval disables a window timer.
        if (t->active_ && t->interval_.count() > 0 && t->due_ <= limit &&
            (next == nullptr || t->due_ < next->due_)) {
            next = t;
        }
    }
    return next;
}

void FakeTimerFactory::Advance(std::chrono::milliseconds duration) {
    TimePoint target = clock_.Now() + duration;
    while (FakeTimer* next = NextDue(target)) {
        clock_.Set(std::max(clock_.Now(), next->due_));
        next->Fire();
    }
    clock_.Set(target);
}

FakeTimer::FakeTimer(FakeTimerFactory& factory, std::chrono::milliseconds interval)
    : factory_(&factory), interval_(interval) {
    factory_->timers_.push_back(this);
}

FakeTimer::~FakeTimer() {
    if (factory_ != nullptr) {
        auto& v = factory_->timers_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void FakeTimer::Start() {
    if (active_) {
        return;
    }
    active_ = true;
    due_ = factory_->clock_.Now() + interval_;
}

void FakeTimer::SetInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    if (active_) {
        due_ = factory_->clock_.Now() + interval_;
    }
}

void FakeTimer::Fire() {
    due_ += interval_;
    if (handler_) {
        Handler copy = handler_;
        copy();
    }
}

}  // namespace kestrove::test
