#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "netinfo/AdapterSource.h"

namespace kestrove {

// The adapters from IP Helper's GetAdaptersInfo, in the system's order. The size query's
// answer tells the results apart: 50 not supported, 87 invalid parameter, 232 no adapter, 111
// go on; any other answer, or a failing second call, is a failure.
class IpHelperAdapterSource final : public AdapterSource {
public:
    using GetInfo = std::function<unsigned long(void* info, unsigned long* size)>;

    IpHelperAdapterSource();
    explicit IpHelperAdapterSource(GetInfo getInfo) : getInfo_(std::move(getInfo)) {}

    AdapterQueryStatus Read(std::vector<AdapterRecord>& adapters) override;

private:
    GetInfo getInfo_;
};

}  // namespace kestrove
