// The parsers of IPv6 neighbours, routes, own addresses, prefixes and router-advertisement
// options fed arbitrary netlink bytes: no length in them may be believed, whatever the
// alignment of the buffer, and what was read before stays as it was.
#include <linux/netlink.h>

#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "netinfo/linux/NetworkMessages.h"

namespace {

std::size_t Items(const kestrove::NetworkSnapshot& s) {
    return s.neighbours.size() + s.routes.size() + s.addresses.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    std::uint32_t sequence = 0;
    if (size >= sizeof(nlmsghdr)) {
        nlmsghdr first;
        std::memcpy(&first, data, sizeof first);
        sequence = first.nlmsg_seq;
    }
    std::vector<std::uint8_t> shifted(size + 1);
    std::memcpy(shifted.data() + 1, data, size);
    std::span<const std::uint8_t> aligned(data, size);
    std::span<const std::uint8_t> odd(shifted.data() + 1, size);

    NetworkSnapshot dump;
    NeighbourDumpStatus status = ParseNetworkDump(aligned, sequence, dump);
    NetworkSnapshot dumpAgain;
    FUZZ_CHECK(ParseNetworkDump(odd, sequence, dumpAgain) == status);
    FUZZ_CHECK(dump.neighbours == dumpAgain.neighbours && dump.routes == dumpAgain.routes &&
               dump.addresses == dumpAgain.addresses);
    // Each item needs at least a message header and the smallest fixed body; a multipath route
    // gives one item per next hop of at least 8 bytes.
    FUZZ_CHECK(Items(dump) * 8 <= size);

    const NetworkChange earlier = AdvertisedPrefix{};
    std::vector<NetworkChange> changes{earlier};
    bool whole = ParseNetworkEvents(aligned, changes);
    std::vector<NetworkChange> changesAgain{earlier};
    FUZZ_CHECK(ParseNetworkEvents(odd, changesAgain) == whole);
    FUZZ_CHECK(changes == changesAgain);
    FUZZ_CHECK(changes.front() == earlier);
    for (const NetworkChange& c : changes) {
        if (const auto* options = std::get_if<RouterOptions>(&c)) {
            FUZZ_CHECK(options->dnsServers.size() * 16 <= size);
        }
        if (const auto* n = std::get_if<Neighbour6>(&c)) {
            FUZZ_CHECK(n->mac.length <= MacAddress::kMaxLength);
        }
    }
    return 0;
}
