#pragma once

#include <chrono>

namespace kestrove {

// Long loops on the user-interface thread give way after each item so that clicks, painting
// and other timers run in between. The Qt layer sleeps and processes pending events; unit
// tests use a no-op or a hook.
class Yielder {
public:
    virtual ~Yielder() = default;
    // Sleep 1 ms, then process all pending events.
    virtual void GiveWay() = 0;
    // Stay responsive for about this long (rounds of a 10 ms sleep and event processing).
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

class NoYield final : public Yielder {
public:
    void GiveWay() override {}
    void Pause(std::chrono::milliseconds) override {}
};

}  // namespace kestrove
