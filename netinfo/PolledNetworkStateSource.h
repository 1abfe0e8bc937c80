#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "netinfo/NetworkStateSource.h"

namespace kestrove {

// Notifications for a platform that gives none (or none that work): the tables are read at a
// short interval and what differs from the last read is handed on as the notifications would
// tell it: new and changed entries, and removed ones marked so.
class PolledNetworkStateSource final : public NetworkStateSource {
public:
    using Reader = std::function<bool(NetworkSnapshot&)>;

    PolledNetworkStateSource(Reader read, std::chrono::milliseconds interval);

    bool Dump(NetworkSnapshot& snapshot) override;
    int Handle() const override { return -1; }
    std::chrono::milliseconds PollInterval() const override { return interval_; }
    NeighbourEventStatus Read(std::vector<NetworkChange>& changes) override;

private:
    Reader read_;
    std::chrono::milliseconds interval_;
    NetworkSnapshot last_;
    bool haveRead_ = false;
};

}  // namespace kestrove
