#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "common/Clock.h"
#include "netinfo/NetworkStateSource.h"
#include "netinfo/ReadPacing.h"

namespace kestrove {

// Notifications for a platform that gives none (or none that work): the tables are read at a
// short interval and what differs from the last read is handed on as the notifications would
// tell it: new and changed entries, and removed ones marked so. A slow read makes the next wait
// longer (ReadPacing).
class PolledNetworkStateSource final : public NetworkStateSource {
public:
    using Reader = std::function<bool(NetworkSnapshot&)>;

    PolledNetworkStateSource(Reader read, std::chrono::milliseconds interval,
                             std::unique_ptr<Clock> clock = std::make_unique<SystemClock>());

    bool Dump(NetworkSnapshot& snapshot) override;
    int Handle() const override { return -1; }
    std::chrono::milliseconds PollInterval() const override { return pacing_.Interval(); }
    NeighbourEventStatus Read(std::vector<NetworkChange>& changes) override;

private:
    Reader read_;
    ReadPacing pacing_;
    NetworkSnapshot last_;
    bool haveRead_ = false;
};

}  // namespace kestrove
