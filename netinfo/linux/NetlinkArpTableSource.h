#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

#include "netinfo/ArpTableSource.h"
#include "netinfo/linux/NetlinkSocket.h"

namespace kestrove {

// The kernel's IPv4 neighbour table, dumped over rtnetlink. The socket is opened by the
// constructor, so the table read is always that of the network namespace the constructing
// thread was in; a socket that could not be opened then is opened by a later read made from
// that same namespace.
class NetlinkArpTableSource final : public ArpTableSource {
public:
    NetlinkArpTableSource();

    bool Read(std::vector<ArpEntry>& entries) override;

    bool IsOpen() const { return static_cast<bool>(socket_); }

private:
    enum class DumpResult { Done, Failed, Overrun };

    bool SendRequest();
    DumpResult ReceiveDump(std::vector<ArpEntry>& entries);
    void DrainAbandonedDump();

    ino_t namespace_;
    NetlinkSocket socket_;
    int loopbackIndex_ = 0;
    std::uint32_t sequence_ = 0;
    bool dumpAbandoned_ = false;
    // Reused across reads: a scan runs every second and should not allocate.
    std::vector<std::uint8_t> buffer_;
};

}  // namespace kestrove
