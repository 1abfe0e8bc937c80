#include "monitor/watch/FlipTracker.h"

namespace kestrove {

template <class Address, class Hash>
typename BasicFlipTracker<Address, Hash>::Verdict BasicFlipTracker<Address, Hash>::Note(
    const Address& address, const MacAddress& from, const MacAddress& to, TimePoint now) {
    Expire(now);
    auto [it, added] = changes_.try_emplace(address);
    LastChange& last = it->second;
    Verdict verdict;
    if (!added) {
        bool recent = now - last.at <= kWindow;
        verdict.flipBack = recent && last.from == to && last.to == from;
        bool sameRun = recent && (verdict.flipBack || (last.from == from && last.to == to));
        if (sameRun && ++last.inRun > kFullChanges) {
            if (last.counted++ == 0) {
                tallying_.push_back(address);
            }
            verdict.counted = true;
        } else if (!sameRun) {
            if (last.counted > 0) {
                verdict.ended = Tally{address, last.from, last.to, last.counted};
                last.counted = 0;
            }
            last.inRun = 1;
        }
    } else {
        last.inRun = 1;
    }
    last.from = from;
    last.to = to;
    last.at = now;
    expiry_.emplace_back(now, address);
    return verdict;
}

template <class Address, class Hash>
std::vector<typename BasicFlipTracker<Address, Hash>::Tally>
BasicFlipTracker<Address, Hash>::TakeTallies(TimePoint now) {
    std::vector<Tally> tallies;
    for (const Address& address : tallying_) {
        auto it = changes_.find(address);
        // An address whose run ended meanwhile was summed up then (and may count again).
        if (it == changes_.end() || it->second.counted == 0) {
            continue;
        }
        LastChange& last = it->second;
        tallies.push_back(Tally{address, last.from, last.to, last.counted});
        last.counted = 0;
        // Its last queue entry may have expired while it was counted: it leaves a minute
        // after this.
        expiry_.emplace_back(now, address);
    }
    tallying_.clear();
    return tallies;
}

template <class Address, class Hash>
void BasicFlipTracker<Address, Hash>::Expire(TimePoint now) {
    while (!expiry_.empty() && now - expiry_.front().first > kWindow) {
        auto it = changes_.find(expiry_.front().second);
        if (it != changes_.end() && now - it->second.at > kWindow && it->second.counted == 0) {
            changes_.erase(it);
        }
        expiry_.pop_front();
    }
}

template <class Address, class Hash>
void BasicFlipTracker<Address, Hash>::Clear() {
    changes_ = {};
    expiry_ = {};
    tallying_ = {};
}

template class BasicFlipTracker<Ipv4>;
template class BasicFlipTracker<IpAddress, IpAddressHash>;

}  // namespace kestrove
