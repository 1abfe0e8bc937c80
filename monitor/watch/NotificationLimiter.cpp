#include "monitor/watch/NotificationLimiter.h"

#include <algorithm>

#include "monitor/watch/NetworkTexts.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

constexpr int kRankDuplicate = 1;
constexpr int kRankBroadcast = 2;
constexpr int kRankChange = 3;
constexpr int kRankGatewayChange = 4;

// The address of a change's detail "(192.168.  1.  1:name) ...", or 0.
Ipv4 DetailAddress(std::string_view detail) {
    if (detail.size() < 2 || detail[0] != '(') {
        return 0;
    }
    std::size_t colon = detail.find(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    std::string dotted;
    for (char c : detail.substr(1, colon - 1)) {
        if (c != ' ') {
            dotted.push_back(c);
        }
    }
    Ipv4 address = 0;
    return ParseDotted(dotted, address) ? address : 0;
}

}  // namespace

int AlarmRank(std::string_view message, std::string_view detail, Ipv4 gateway) {
    if (message == kChangeMessage) {
        return gateway != 0 && DetailAddress(detail) == gateway ? kRankGatewayChange : kRankChange;
    }
    // The gateway forged before the start, a changed gateway or a new router move all the
    // traffic, as a forged gateway does; a forged IPv6 neighbour is a change.
    if (message == kGatewayMacMessage || message == kGatewayMessage || message == kRouterMessage) {
        return kRankGatewayChange;
    }
    if (message == kIpv6ChangeMessage) {
        return kRankChange;
    }
    return message == kBroadcastMessage ? kRankBroadcast : kRankDuplicate;
}

DesktopText NoticeText(const AlarmNotice& notice) {
    DesktopText text{notice.message, notice.detail};
    if (!notice.explanation.empty()) {
        text.body += '\n';
        text.body += notice.explanation;
    }
    return text;
}

DesktopText SummedUpNotification(const AlarmNotice& top, const AlarmNotice* newest,
                                 std::size_t more) {
    DesktopText text = NoticeText(top);
    if (newest != nullptr) {
        text.body += '\n';
        text.body += kNewestBefore;
        text.body += newest->message;
        text.body += ' ';
        text.body += newest->detail;
    }
    if (more > 0) {
        text.body += '\n';
        text.body += kSummedUpBefore;
        text.body += std::to_string(more);
        text.body += kSummedUpAfter;
    }
    return text;
}

NotificationLimiter::NotificationLimiter(const Clock& clock, TimerFactory& timers, Show show)
    : clock_(clock), timer_(timers.Create(kMinGap)), show_(std::move(show)) {
    timer_->SetHandler([this] { Flush(); });
}

void NotificationLimiter::Post(AlarmNotice notice) {
    TimePoint now = clock_.Now();
    if (waiting_ == 0 && (!lastShown_ || now - *lastShown_ >= kMinGap)) {
        lastShown_ = now;
        show_(NoticeText(notice));
        return;
    }
    if (waiting_++ == 0) {
        top_ = notice;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(kMinGap - (now - *lastShown_));
        timer_->SetInterval(std::max(left, std::chrono::milliseconds(1)));
        timer_->Start();
    } else if (notice.rank > top_.rank) {
        top_ = notice;
    }
    newest_ = std::move(notice);
}

void NotificationLimiter::Flush() {
    timer_->Stop();
    if (waiting_ == 0) {
        return;
    }
    // With one waiting, or the newest the most severe, the one alarm is named once.
    bool newestIsTop =
        waiting_ == 1 || (newest_.rank == top_.rank && newest_.message == top_.message &&
                          newest_.detail == top_.detail);
    std::size_t named = newestIsTop ? 1 : 2;
    DesktopText text =
        SummedUpNotification(top_, newestIsTop ? nullptr : &newest_, waiting_ - named);
    waiting_ = 0;
    top_ = {};
    newest_ = {};
    lastShown_ = clock_.Now();
    show_(text);
}

}  // namespace kestrove
