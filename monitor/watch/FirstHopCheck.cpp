#include "monitor/watch/FirstHopCheck.h"

#include <algorithm>

#include "monitor/watch/NetworkTexts.h"

namespace kestrove {

FirstHopCheck::FirstHopCheck(FirstHopProber* prober, const Clock& clock, PostToMonitorThread post)
    : prober_(prober), clock_(clock), post_(std::move(post)) {}

FirstHopCheck::~FirstHopCheck() {
    Stop();
}

bool FirstHopCheck::Request(IpAddress::Family family, Done done) {
    if (prober_ == nullptr) {
        return false;
    }
    TimePoint now = clock_.Now();
    // A clock set back counts as time passed, so the check is never shut out for long.
    if (last_ && now >= *last_ && now - *last_ < kMinInterval) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (stopping_ || busy_) {
        return false;
    }
    last_ = now;
    busy_ = true;
    job_ = family;
    done_ = std::move(done);
    if (!worker_.joinable()) {
        // Started with the first probe: a quiet network never has this thread.
        worker_ = std::thread([this] { Work(); });
    }
    wake_.notify_one();
    return true;
}

void FirstHopCheck::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || job_.has_value(); });
        if (stopping_) {
            return;
        }
        IpAddress::Family family = *job_;
        job_.reset();
        lock.unlock();
        FirstHopAnswer answer = prober_->Probe(FirstHopTarget(family), kWait);
        lock.lock();
        Done done = std::move(done_);
        done_ = nullptr;
        if (stopping_) {
            return;
        }
        post_([this, alive = alive_, answer, done = std::move(done)] {
            if (!*alive) {
                return;
            }
            {
                std::lock_guard free(mutex_);
                busy_ = false;
            }
            if (done) {
                done(answer);
            }
        });
    }
}

void FirstHopCheck::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
        wake_.notify_one();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    *alive_ = false;
}

std::string DescribeFirstHop(const IpAddress& gateway, const MacAddress& mac,
                             const std::vector<IpAddress>& gatewaysOwn,
                             const FirstHopAnswer& answer) {
    std::string text = FormatIp(gateway);
    if (mac.length > 0) {
        text += " (" + FormatMac(mac) + ")";
    }
    text += kFirstHopVia;
    switch (answer.kind) {
        case FirstHopAnswer::Kind::Answered:
            if (answer.from == gateway || std::find(gatewaysOwn.begin(), gatewaysOwn.end(),
                                                    answer.from) != gatewaysOwn.end()) {
                text += kFirstHopGateway;
            } else {
                text += FormatIp(answer.from);
                text += ' ';
                text += kFirstHopOther;
            }
            return text;
        case FirstHopAnswer::Kind::Silent:
            text += kFirstHopSilent;
            return text;
        case FirstHopAnswer::Kind::Failed:
            break;
    }
    return {};
}

}  // namespace kestrove
