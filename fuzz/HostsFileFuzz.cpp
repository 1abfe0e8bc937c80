// hosts.dat on arbitrary bytes: a damaged or planted file must never crash the reader, and
// whatever it accepts must write back to a file that reads the same again.
#include "fuzz/FuzzSupport.h"
#include "monitor/watch/RememberedHosts.h"

namespace kestrove::fuzz {

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::optional<RememberedHosts> hosts = RememberedHosts::Parse(AsText(data, size));
    if (!hosts) {
        return 0;
    }
    FUZZ_CHECK(hosts->tables.size() <= RememberedHosts::kMaxNetworks);
    std::string written = hosts->Serialize();
    std::optional<RememberedHosts> again = RememberedHosts::Parse(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->Serialize() == written);
    for (const HostsTable& t : again->tables) {
        FUZZ_CHECK(t.hosts.Size() <= RememberedHosts::kMaxHostsPerNetwork);
        Ipv4 previous = 0;
        for (const RememberedHost& host : t.hosts) {
            FUZZ_CHECK(!host.mac.IsUnresolved());
            FUZZ_CHECK(&host == &*t.hosts.begin() || host.address > previous);
            previous = host.address;
        }
    }
    return 0;
}

}  // namespace kestrove::fuzz
