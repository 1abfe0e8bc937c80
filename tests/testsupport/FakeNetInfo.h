#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/Yielder.h"
#include "netinfo/AdapterSource.h"
#include "netinfo/ArpTableSource.h"
#include "netinfo/HostNameLookup.h"

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

// Answers reverse lookups from a table; never touches the network.
class FakeResolver final : public HostNameResolver {
public:
    std::optional<std::string> ReverseLookup(Ipv4 address) override {
        ++lookups;
        auto it = names.find(address);
        if (it == names.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    std::map<Ipv4, std::string> names;
    int lookups = 0;
};

// Give-way that can run a test's action at a chosen give-way call, to play a click or a
// timer that arrives in the middle of a scan.
class HookYielder final : public Yielder {
public:
    void GiveWay() override {
        ++calls;
        if (onGiveWay) {
            onGiveWay(calls);
        }
    }
    void Pause(std::chrono::milliseconds) override { ++pauses; }

    std::function<void(int call)> onGiveWay;
    int calls = 0;
    int pauses = 0;
};

}  // namespace kestrove::test
