#include "monitor/watch/RememberedHostTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kestrove {

static_assert(sizeof(RememberedHost) == 24);

namespace {

bool AddressBefore(const RememberedHost& a, const RememberedHost& b) {
    return a.address < b.address;
}

// Room for `needed` entries, grown by a quarter rather than doubled: the array is most of what
// the table costs.
void MakeRoom(std::vector<RememberedHost>& hosts, std::size_t needed) {
    if (hosts.capacity() < needed) {
        hosts.reserve(std::max(needed, hosts.size() + hosts.size() / 4));
    }
}

}  // namespace

const RememberedHost* RememberedHostTable::Find(Ipv4 address) const {
    auto it = std::lower_bound(
        hosts_.begin(), hosts_.end(), address,
        [](const RememberedHost& host, Ipv4 wanted) { return host.address < wanted; });
    return it != hosts_.end() && it->address == address ? &*it : nullptr;
}

RememberedHost* RememberedHostTable::Find(Ipv4 address) {
    return const_cast<RememberedHost*>(std::as_const(*this).Find(address));
}

void RememberedHostTable::Put(const RememberedHost& host) {
    auto it = std::lower_bound(hosts_.begin(), hosts_.end(), host, AddressBefore);
    if (it != hosts_.end() && it->address == host.address) {
        *it = host;
        return;
    }
    std::ptrdiff_t at = it - hosts_.begin();
    MakeRoom(hosts_, hosts_.size() + 1);
    hosts_.insert(hosts_.begin() + at, host);
}

void RememberedHostTable::Merge(std::vector<RememberedHost>& added) {
    if (added.empty()) {
        return;
    }
    std::sort(added.begin(), added.end(), AddressBefore);
    std::size_t middle = hosts_.size();
    MakeRoom(hosts_, middle + added.size());
    hosts_.insert(hosts_.end(), added.begin(), added.end());
    std::inplace_merge(hosts_.begin(), hosts_.begin() + static_cast<std::ptrdiff_t>(middle),
                       hosts_.end(), AddressBefore);
}

void RememberedHostTable::Assign(std::vector<RememberedHost> hosts) {
    std::stable_sort(hosts.begin(), hosts.end(), AddressBefore);
    // The last of each run of one address is kept.
    auto kept = hosts.begin();
    for (auto it = hosts.begin(); it != hosts.end(); ++it) {
        if (std::next(it) == hosts.end() || std::next(it)->address != it->address) {
            *kept++ = *it;
        }
    }
    hosts.erase(kept, hosts.end());
    hosts.shrink_to_fit();
    hosts_ = std::move(hosts);
}

}  // namespace kestrove
