#pragma once

#include "common/LocalTime.h"

namespace kestrove {

// The time source of every state machine, so tests can run them on a fake clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;

    LocalTime LocalNow() const { return ToLocalTime(Now()); }
};

class SystemClock final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::system_clock::now(); }
};

}  // namespace kestrove
