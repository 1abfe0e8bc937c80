#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/Timer.h"
#include "testsupport/FakeClock.h"

namespace kestrove::test {

class FakeTimer;

// Window timers on a fake clock: Advance() moves the clock forward and fires every timer that
// falls due on the way, in time order, each with the clock set to its due moment.
class FakeTimerFactory final : public TimerFactory {
public:
    explicit FakeTimerFactory(FakeClock& clock) : clock_(clock) {}
    ~FakeTimerFactory() override;

    std::unique_ptr<Timer> Create(std::chrono::milliseconds interval) override;

    void Advance(std::chrono::milliseconds duration);

private:
    friend class FakeTimer;
    FakeTimer* NextDue(TimePoint limit) const;

    FakeClock& clock_;
    std::vector<FakeTimer*> timers_;
};

class FakeTimer final : public Timer {
public:
    FakeTimer(FakeTimerFactory& factory, std::chrono::milliseconds interval);
    ~FakeTimer() override;

    void Start() override;
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    void SetInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds Interval() const override { return interval_; }
    void SetHandler(Handler handler) override { handler_ = std::move(handler); }

private:
    friend class FakeTimerFactory;
    void Fire();

    FakeTimerFactory* factory_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    TimePoint due_{};
    Handler handler_;
};

}  // namespace kestrove::test
