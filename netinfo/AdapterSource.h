#pragma once

#include <string>
#include <vector>

#include "netinfo/MacAddress.h"

namespace kestrove {

// One network adapter of this computer: its description, hardware address and first IPv4
// address with its mask, as dotted texts ("0.0.0.0" when it has none).
struct AdapterRecord {
    std::string description;
    MacAddress mac;
    std::string ipAddress = "0.0.0.0";
    std::string ipMask = "0.0.0.0";
    // The system's number of the interface (0 when unknown): how neighbour and route tables
    // name it.
    int interfaceIndex = 0;
};

enum class AdapterQueryStatus { Ok, NotSupported, InvalidParameter, NoAdapter, Failed };

class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // Fills `adapters` in a stable order: the adapter of the default route first.
    virtual AdapterQueryStatus Read(std::vector<AdapterRecord>& adapters) = 0;
};

}  // namespace kestrove
