#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "common/Timer.h"

namespace kestrove {

// Desktop notifications for alarms, at most one per 5 s: what comes sooner waits, and
// everything that waited goes out together in the next one, so a burst of alarms neither
// floods the desktop nor loses any.
class NotificationLimiter {
public:
    static constexpr std::chrono::milliseconds kMinGap{5000};
    using Show = std::function<void(const std::string& text)>;

    NotificationLimiter(const Clock& clock, TimerFactory& timers, Show show);
    NotificationLimiter(const NotificationLimiter&) = delete;
    NotificationLimiter& operator=(const NotificationLimiter&) = delete;

    void Post(std::string text);
    std::size_t Waiting() const { return waiting_; }

private:
    void Flush();

    const Clock& clock_;
    std::unique_ptr<Timer> timer_;
    Show show_;
    std::optional<TimePoint> lastShown_;
    std::string first_;
    std::size_t waiting_ = 0;
};

// Under the first waiting notification: the count of the others that waited with it.
inline constexpr std::string_view kSummedUpBefore = "（ほか";
inline constexpr std::string_view kSummedUpAfter = "件のアラームがあります）";
std::string SummedUpNotification(const std::string& first, std::size_t more);

}  // namespace kestrove
