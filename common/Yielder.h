#pragma once

#include <chrono>

#include "common/Clock.h"

namespace kestrove {

// Long loops on the user-interface thread ask to give way after each item so that clicks,
// painting and other timers run in between. Asking is cheap: a yielder lets pending events run
// only now and then (see SlicedYielder), never sleeps, and a loop must expect any handler, a
// clear or a shut-down, to have run when GiveWay() returns.
class Yielder {
public:
    virtual ~Yielder() = default;
    // Called by a loop after every item; may run pending events.
    virtual void GiveWay() = 0;
    // Stays responsive for about this long, running events as they come.
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

class NoYield final : public Yielder {
public:
    void GiveWay() override {}
    void Pause(std::chrono::milliseconds) override {}
};

// Runs pending events only once a slice of work has passed on the clock since they last ran:
// a loop over 65,536 entries then costs its work plus a few event rounds, not a sleep per
// entry, and the window still answers within a slice.
class SlicedYielder : public Yielder {
public:
    static constexpr std::chrono::milliseconds kSlice{5};

    explicit SlicedYielder(const Clock& clock, std::chrono::milliseconds slice = kSlice)
        : clock_(clock), slice_(slice), last_(clock.Now()) {}

    void GiveWay() final {
        TimePoint now = clock_.Now();
        // A clock set back counts as a slice passed, so events never wait for it to catch up.
        if (now - last_ >= slice_ || now < last_) {
            RunPendingEvents();
            last_ = clock_.Now();
        }
    }

protected:
    // Processes the events waiting now, without waiting for more.
    virtual void RunPendingEvents() = 0;
    // Time spent in the event loop (a pause) is no work: the next slice starts afterwards.
    void StartSlice() { last_ = clock_.Now(); }

private:
    const Clock& clock_;
    std::chrono::milliseconds slice_;
    TimePoint last_;
};

}  // namespace kestrove
