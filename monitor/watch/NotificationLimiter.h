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
#include "netinfo/Ipv4.h"

namespace kestrove {

// One alarm as a desktop notification tells it.
struct AlarmNotice {
    // Higher is more severe (AlarmRank).
    int rank = 0;
    std::string message;
    std::string detail;
    std::string explanation;
};

// What reaches the desktop: a title line and the text under it.
struct DesktopText {
    std::string summary;
    std::string body;
};

// The gateway's change outranks every other alarm, then any change, a claim of this PC's own
// MAC, a duplicate. `detail` is the alarm's `List1` detail line without its indent; a change's
// begins with "(" and the padded address.
int AlarmRank(std::string_view message, std::string_view detail, Ipv4 gateway);

// Desktop notifications for alarms, at most one per 5 s: what comes sooner waits, and the
// next one names the most severe of those that waited (the first of equal rank) and the
// newest, and counts the rest, so a burst neither floods the desktop nor lets a decoy sent
// first hide the alarm that matters.
class NotificationLimiter {
public:
    static constexpr std::chrono::milliseconds kMinGap{5000};
    using Show = std::function<void(const DesktopText& text)>;

    NotificationLimiter(const Clock& clock, TimerFactory& timers, Show show);
    NotificationLimiter(const NotificationLimiter&) = delete;
    NotificationLimiter& operator=(const NotificationLimiter&) = delete;

    void Post(AlarmNotice notice);
    std::size_t Waiting() const { return waiting_; }

private:
    void Flush();

    const Clock& clock_;
    std::unique_ptr<Timer> timer_;
    Show show_;
    std::optional<TimePoint> lastShown_;
    AlarmNotice top_;
    AlarmNotice newest_;
    std::size_t waiting_ = 0;
};

inline constexpr std::string_view kNewestBefore = "最新のアラーム: ";
inline constexpr std::string_view kSummedUpBefore = "（ほか";
inline constexpr std::string_view kSummedUpAfter = "件のアラームがあります）";

// One alarm: its message over its detail and likely causes.
DesktopText NoticeText(const AlarmNotice& notice);
// `top` in full, then `newest` in one line when it is another alarm, then the count of the
// `more` alarms neither names.
DesktopText SummedUpNotification(const AlarmNotice& top, const AlarmNotice* newest,
                                 std::size_t more);

}  // namespace kestrove
