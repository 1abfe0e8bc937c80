#pragma once

#include <cstdint>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"
#include "netinfo/linux/UniqueFd.h"

namespace kestrove::test {

// Replaces permanent IPv4 neighbour entries on "veth0" of the namespace it is made in, over
// rtnetlink, and waits for the kernel's answer: a test knows to the microsecond when the
// kernel made the change, with no program started in between.
class NeighbourWriter {
public:
    NeighbourWriter();
    bool Replace(Ipv4 address, const MacAddress& mac);
    bool Replace(Ipv4 address, const std::uint8_t (&mac)[6]) {
        return Replace(address, MacAddress::FromBytes(mac, 6));
    }

private:
    UniqueFd fd_;
    int ifindex_ = 0;
    std::uint32_t sequence_ = 0;
};

}  // namespace kestrove::test
