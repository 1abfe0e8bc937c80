#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"
#include "netinfo/NeighbourEvents.h"

namespace kestrove::test {

MacAddress Mac(std::string_view text);  // "00-AA-BB-CC-DD-0E"
Ipv4 Ip(std::string_view dotted);       // "192.168.1.5"

class FakeArpTable final : public ArpTableSource {
public:
    bool Read(std::vector<ArpEntry>& entries) override {
        ++reads;
        if (failing) {
            return false;
        }
        entries = table;
        return true;
    }
    void Put(std::string_view ip, std::string_view mac) { table.push_back({Ip(ip), Mac(mac)}); }
    void Replace(std::string_view ip, std::string_view mac);

    std::vector<ArpEntry> table;
    bool failing = false;
    int reads = 0;
};

// Neighbour notifications a test announces; each Read() hands out what was announced since.
class FakeNeighbourEvents final : public NeighbourEvents {
public:
    int Handle() const override { return closed ? -1 : 0; }
    NeighbourEventStatus Read(std::vector<ArpEntry>& entries) override {
        ++reads;
        entries.insert(entries.end(), pending.begin(), pending.end());
        pending.clear();
        if (closed) {
            return NeighbourEventStatus::Closed;
        }
        if (lost) {
            lost = false;
            return NeighbourEventStatus::Lost;
        }
        return NeighbourEventStatus::Drained;
    }
    void Announce(std::string_view ip, std::string_view mac) {
        pending.push_back({Ip(ip), Mac(mac)});
    }

    std::vector<ArpEntry> pending;
    bool lost = false;
    bool closed = false;
    int reads = 0;
};

class FakeAdapters final : public AdapterSource {
public:
    AdapterQueryStatus Read(std::vector<AdapterRecord>& adapters) override {
        adapters = list;
        return status;
    }
    void Add(std::string description, std::string_view mac, std::string ip, std::string mask) {
        list.push_back({std::move(description), Mac(mac), std::move(ip), std::move(mask)});
    }

    std::vector<AdapterRecord> list;
    AdapterQueryStatus status = AdapterQueryStatus::Ok;
};

// Answers reverse lookups from a table; never touches the network. An answer takes `delay`,
// spent through `spend` (a fake clock moving on); a bounded lookup gives up at its limit.
class FakeResolver final : public HostNameResolver {
public:
    std::optional<std::string> ReverseLookup(Ipv4 address) override {
        return ReverseLookupWithin(address, std::chrono::milliseconds::max());
    }
    std::optional<std::string> ReverseLookupWithin(Ipv4 address,
                                                   std::chrono::milliseconds limit) override {
        ++lookups;
        if (spend) {
            spend(std::min(delay, limit));
        }
        auto it = names.find(address);
        if (it == names.end() || delay > limit) {
            return std::nullopt;
        }
        return it->second;
    }
    std::map<Ipv4, std::string> names;
    int lookups = 0;
    std::chrono::milliseconds delay{0};
    std::function<void(std::chrono::milliseconds)> spend;
};

}  // namespace kestrove::test
