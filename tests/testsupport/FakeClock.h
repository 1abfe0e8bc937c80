#pragma once

#include "common/Clock.h"

namespace kestrove::test {

class FakeClock final : public Clock {
public:
    FakeClock() : now_(FromLocalTime(LocalTime{2007, 5, 5, 14, 3, 9})) {}

    TimePoint Now() const override { return now_; }
    void Set(TimePoint t) { now_ = t; }
    void SetLocal(int year, int month, int day, int hour, int minute, int second) {
        now_ = FromLocalTime(LocalTime{year, month, day, hour, minute, second});
    }
    void Advance(std::chrono::milliseconds d) { now_ += d; }

private:
    TimePoint now_;
};

}  // namespace kestrove::test
