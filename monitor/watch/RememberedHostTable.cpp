#include "monitor/watch/RememberedHostTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "common/MemoryReturn.h"

namespace kestrove {

static_assert(sizeof(RememberedHost) == 24);

namespace {

bool AddressBefore(const RememberedHost& a, const RememberedHost& b) {
    return a.address < b.address;
}

}  // namespace

void RememberedHostTable::SortByAddress(std::vector<RememberedHost>& hosts) {
    std::stable_sort(hosts.begin(), hosts.end(), AddressBefore);
}

const RememberedHost* RememberedHostTable::Find(Ipv4 address) const {
    auto it = std::lower_bound(
        hosts_.begin(), hosts_.end(), address,
        [](const RememberedHost& host, Ipv4 wanted) { return host.address < wanted; });
    return it != hosts_.end() && it->address == address ? &*it : nullptr;
}

RememberedHost* RememberedHostTable::Find(Ipv4 address) {
    return const_cast<RememberedHost*>(std::as_const(*this).Find(address));
}

RememberedHost* RememberedHostTable::Find(Ipv4 address, std::size_t& cursor) {
    RememberedHost* host = nullptr;
    if (cursor < hosts_.size() && hosts_[cursor].address == address) {
        host = &hosts_[cursor];
    } else {
        host = Find(address);
    }
    if (host != nullptr) {
        cursor = static_cast<std::size_t>(host - hosts_.data()) + 1;
    }
    return host;
}

void RememberedHostTable::Put(const RememberedHost& host) {
    auto it = std::lower_bound(hosts_.begin(), hosts_.end(), host, AddressBefore);
    if (it != hosts_.end() && it->address == host.address) {
        *it = host;
        return;
    }
    std::ptrdiff_t at = it - hosts_.begin();
    ReserveGrowingByAQuarter(hosts_, hosts_.size() + 1);
    hosts_.insert(hosts_.begin() + at, host);
}

void RememberedHostTable::Merge(std::vector<RememberedHost>& added) {
    if (added.empty()) {
        return;
    }
    if (!std::is_sorted(added.begin(), added.end(), AddressBefore)) {
        std::sort(added.begin(), added.end(), AddressBefore);
    }
    std::size_t middle = hosts_.size();
    ReserveGrowingByAQuarter(hosts_, middle + added.size());
    hosts_.insert(hosts_.end(), added.begin(), added.end());
    std::inplace_merge(hosts_.begin(), hosts_.begin() + static_cast<std::ptrdiff_t>(middle),
                       hosts_.end(), AddressBefore);
}

void RememberedHostTable::Assign(std::vector<RememberedHost> hosts) {
    SortByAddress(hosts);
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
