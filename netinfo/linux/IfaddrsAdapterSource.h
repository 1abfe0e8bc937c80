#pragma once

#include "netinfo/AdapterSource.h"

namespace kestrove {

// The adapters of the calling thread's network namespace, from getifaddrs(): every interface
// with a hardware address except loopback, the one of the IPv4 default route first, then by
// interface index.
class IfaddrsAdapterSource final : public AdapterSource {
public:
    AdapterQueryStatus Read(std::vector<AdapterRecord>& adapters) override;
};

}  // namespace kestrove
