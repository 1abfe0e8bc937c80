#pragma once

#include <memory>

#include "netinfo/Ipv4.h"
#include "testsupport/NetNamespace.h"

namespace kestrove::bench {

// The address and MAC of entry i of a benchmark table: 10.64.0.0 up, MAC 02-00-00-a-b-c.
Ipv4 TableAddress(int i);

// A namespace whose neighbour table holds `count` permanent entries on veth0, loaded once per
// run for every benchmark that asks (Google Benchmark calls each several times while it settles
// the iteration count) and removed at exit. nullptr when it could not be loaded.
test::NetNamespace* CachedTable(int count);

}  // namespace kestrove::bench
