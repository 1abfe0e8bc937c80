#include "monitor/watch/AlarmHostNames.h"

#include <algorithm>

namespace kestrove {

AlarmHostNames::AlarmHostNames(HostNameLookup& lookup, const Clock& clock)
    : lookup_(lookup), clock_(clock), refilled_(clock.Now()) {}

std::chrono::milliseconds AlarmHostNames::Left() {
    // The budget refills evenly, kPerMinute a minute, and never holds more than that.
    TimePoint now = clock_.Now();
    auto passed = std::chrono::duration<double, std::milli>(now - refilled_);
    refilled_ = now;
    if (passed.count() > 0) {
        left_ = std::min<std::chrono::duration<double, std::milli>>(
            kPerMinute, left_ + passed * (static_cast<double>(kPerMinute.count()) / 60000.0));
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(left_);
}

std::string AlarmHostNames::NameOf(Ipv4 address) {
    if (lookup_.NoHostLookup()) {
        return "";
    }
    Forget(clock_.Now());
    if (auto known = names_.find(address); known != names_.end()) {
        return known->second;
    }
    const std::chrono::milliseconds limit = kPerAlarm;
    if (Left() < limit) {
        return "";
    }
    TimePoint asked = clock_.Now();
    std::string name = lookup_.GetHostNameByIP(FormatDotted(address), limit);
    TimePoint answered = clock_.Now();
    // A clock set back or forth meanwhile costs at most the limit.
    auto spent = std::clamp<std::chrono::duration<double, std::milli>>(
        answered - asked, std::chrono::milliseconds(0), limit);
    left_ -= spent;
    refilled_ = std::max(refilled_, answered);
    if (!name.empty()) {
        if (names_.size() >= kMaxKept) {
            names_.erase(learnt_.front().second);
            learnt_.pop_front();
        }
        names_[address] = name;
        learnt_.emplace_back(answered, address);
    }
    return name;
}

void AlarmHostNames::Forget(TimePoint now) {
    while (!learnt_.empty() && now - learnt_.front().first > kKeep) {
        names_.erase(learnt_.front().second);
        learnt_.pop_front();
    }
}

}  // namespace kestrove
