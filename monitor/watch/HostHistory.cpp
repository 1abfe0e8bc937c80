#include "monitor/watch/HostHistory.h"

#include <algorithm>
#include <iterator>

#include "common/MemoryReturn.h"

namespace kestrove {
namespace {

// Past this many, a new entry's shift within the recent run costs more than its share of a
// merge with the main run.
constexpr std::size_t kRecentLimit = 1024;

struct Before {
    bool operator()(const ListedHost& a, const ListedHost& b) const { return ListedBefore(a, b); }
};

bool SameMac(const ListedHost* a, const ListedHost& b) {
    return a != nullptr && a->mac == b.mac;
}

}  // namespace

bool ListedBefore(const ListedHost& a, const ListedHost& b) {
    if (a.mac.bytes != b.mac.bytes) {
        return a.mac.bytes < b.mac.bytes;
    }
    if (a.mac.length != b.mac.length) {
        return a.mac.length < b.mac.length;
    }
    return a.address < b.address;
}

std::string FormatListed(const ListedHost& host) {
    std::string line = FormatMac(host.mac);
    line += " (";
    line += FormatAddressText(host.address);
    line += ')';
    return line;
}

void HostHistory::Add(const ListedHost& host) {
    pending_.push_back(host);
    ++version_;
}

void HostHistory::Settle() const {
    if (pending_.empty()) {
        return;
    }
    // A whole batch is sorted at once: a first scan of 65,536 hosts is one sort, not 65,536
    // insertions.
    std::sort(pending_.begin(), pending_.end(), Before{});
    std::size_t middle = recent_.size();
    recent_.insert(recent_.end(), pending_.begin(), pending_.end());
    std::inplace_merge(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(middle),
                       recent_.end(), Before{});
    ClearKeepingSmall(pending_);
    if (recent_.size() > kRecentLimit) {
        Sorted();
    }
}

void HostHistory::Clear() {
    sorted_ = {};
    recent_ = {};
    pending_ = {};
    ++version_;
    ++generation_;
}

const std::vector<ListedHost>& HostHistory::Sorted() const {
    Settle();
    if (!recent_.empty()) {
        std::size_t middle = sorted_.size();
        ReserveGrowingByAQuarter(sorted_, middle + recent_.size());
        sorted_.insert(sorted_.end(), recent_.begin(), recent_.end());
        std::inplace_merge(sorted_.begin(), sorted_.begin() + static_cast<std::ptrdiff_t>(middle),
                           sorted_.end(), Before{});
        ClearKeepingSmall(recent_);
    }
    return sorted_;
}

std::vector<std::string> HostHistory::Lines() const {
    std::vector<std::string> lines;
    for (const ListedHost& host : Sorted()) {
        lines.push_back(FormatListed(host));
    }
    return lines;
}

std::pair<const ListedHost*, const ListedHost*> HostHistory::SameMacNeighbours(
    const ListedHost& host) const {
    Settle();
    const ListedHost* before = nullptr;
    const ListedHost* after = nullptr;
    // The neighbours in the merged order are the nearest ones of either run.
    for (const std::vector<ListedHost>* run : {&sorted_, &recent_}) {
        auto it = std::lower_bound(run->begin(), run->end(), host, Before{});
        auto next = it != run->end() && *it == host ? it + 1 : it;
        if (it != run->begin() && (before == nullptr || ListedBefore(*before, *(it - 1)))) {
            before = &*(it - 1);
        }
        if (next != run->end() && (after == nullptr || ListedBefore(*next, *after))) {
            after = &*next;
        }
    }
    return {SameMac(before, host) ? before : nullptr, SameMac(after, host) ? after : nullptr};
}

std::vector<ListedHost> HostHistory::WithMac(const MacAddress& mac) const {
    const std::vector<ListedHost>& all = Sorted();
    auto first = std::lower_bound(all.begin(), all.end(), ListedHost{mac, 0}, Before{});
    std::vector<ListedHost> found;
    for (auto it = first; it != all.end() && it->mac == mac; ++it) {
        found.push_back(*it);
    }
    return found;
}

std::size_t HostHistory::Bytes() const {
    return (sorted_.capacity() + recent_.capacity() + pending_.capacity()) * sizeof(ListedHost);
}

}  // namespace kestrove
