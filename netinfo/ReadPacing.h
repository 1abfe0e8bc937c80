#pragma once

#include <algorithm>
#include <chrono>
#include <memory>

#include "common/Clock.h"

namespace kestrove {

// How long a poll of the system's tables waits before the next read: its interval, or, where a
// read is slow (Wine answers each row with a round trip to another process), at least
// kSlowReadFactor times as long as the last read took, so reading never takes more than about
// a twentieth of the time.
class ReadPacing final {
public:
    static constexpr int kSlowReadFactor = 20;
    static constexpr std::chrono::milliseconds kLongestInterval{60'000};

    ReadPacing(std::chrono::milliseconds interval, std::unique_ptr<Clock> clock)
        : interval_(interval), clock_(std::move(clock)) {}

    std::chrono::milliseconds Interval() const {
        return std::clamp(lastReadTook_ * kSlowReadFactor, interval_,
                          std::max(interval_, kLongestInterval));
    }

    // Runs `read`, noting how long it took.
    template <class Read>
    auto Timed(Read read) {
        TimePoint started = clock_->Now();
        auto result = read();
        // A clock set back gives no negative time.
        lastReadTook_ = std::max(
            std::chrono::milliseconds(0),
            std::chrono::duration_cast<std::chrono::milliseconds>(clock_->Now() - started));
        return result;
    }

private:
    std::chrono::milliseconds interval_;
    std::unique_ptr<Clock> clock_;
    std::chrono::milliseconds lastReadTook_{0};
};

}  // namespace kestrove
