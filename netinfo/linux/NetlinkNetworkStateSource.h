#pragma once

#include <cstdint>
#include <vector>

#include "netinfo/NetworkStateSource.h"
#include "netinfo/linux/NetlinkSocket.h"

namespace kestrove {

// IPv6 neighbours, routes, own IPv6 addresses and router-advertisement options over rtnetlink,
// from groups that need no privilege. Like the ARP table source it reads the network namespace
// the constructing thread was in.
class NetlinkNetworkStateSource final : public NetworkStateSource {
public:
    NetlinkNetworkStateSource();

    bool Dump(NetworkSnapshot& snapshot) override;
    int Handle() const override { return events_.Handle(); }
    NeighbourEventStatus Read(std::vector<NetworkChange>& changes) override;

private:
    bool DumpOne(std::uint16_t type, std::uint8_t family, NetworkSnapshot& snapshot);

    NetlinkSocket dumps_;
    NetlinkSocket events_;
    std::uint32_t sequence_ = 0;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace kestrove
