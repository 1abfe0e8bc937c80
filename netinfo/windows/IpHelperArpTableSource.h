#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

// The ARP table from IP Helper's GetIpNetTable. The first read asks for the size with an empty
// buffer, later ones offer the room the last read needed; only ERROR_INSUFFICIENT_BUFFER (122)
// asks again, every other failure (an empty table, an error) reads as an empty table.
class IpHelperArpTableSource final : public ArpTableSource {
public:
    // The table call, replaceable so tests can play the platform's answers.
    using GetTable = std::function<unsigned long(void* table, unsigned long* size, int order)>;

    IpHelperArpTableSource();
    explicit IpHelperArpTableSource(GetTable getTable) : getTable_(std::move(getTable)) {}

    bool Read(std::vector<ArpEntry>& entries) override;

private:
    GetTable getTable_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace kestrove
