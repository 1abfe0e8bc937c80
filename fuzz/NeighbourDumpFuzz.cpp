// The neighbour-table dump parser and the neighbour notifications' parser fed arbitrary netlink
// bytes: no length in them may be believed, whatever the alignment of the buffer, and entries
// already read stay as they were.
#include <linux/neighbour.h>
#include <linux/netlink.h>

#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "netinfo/linux/NeighbourMessages.h"

namespace {

bool SameEntries(const std::vector<kestrove::ArpEntry>& a,
                 const std::vector<kestrove::ArpEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].address != b[i].address || !(a[i].mac == b[i].mac)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    // The dump answers the request numbered like the first message, as a real one would.
    NeighbourDumpFilter filter{0, 1};
    if (size >= sizeof(nlmsghdr)) {
        nlmsghdr first;
        std::memcpy(&first, data, sizeof first);
        filter.sequence = first.nlmsg_seq;
    }
    const ArpEntry earlier{0x0A000001, MacAddress::FromBytes(data, std::min<std::size_t>(size, 6))};

    std::vector<ArpEntry> entries{earlier};
    NeighbourDumpStatus status = ParseNeighbourDump({data, size}, filter, entries);
    FUZZ_CHECK(!entries.empty() && entries[0].address == earlier.address &&
               entries[0].mac == earlier.mac);
    // Every entry comes from a message with a header, a neighbour body and an address.
    FUZZ_CHECK((entries.size() - 1) * (sizeof(nlmsghdr) + sizeof(ndmsg) + 8) <= size);
    for (const ArpEntry& entry : entries) {
        FUZZ_CHECK(entry.mac.length <= MacAddress::kMaxLength);
    }

    // The same bytes one byte off any alignment, in a buffer of exactly their size.
    std::vector<std::uint8_t> shifted(size + 1);
    std::memcpy(shifted.data() + 1, data, size);
    std::vector<ArpEntry> again{earlier};
    FUZZ_CHECK(ParseNeighbourDump({shifted.data() + 1, size}, filter, again) == status);
    FUZZ_CHECK(SameEntries(entries, again));

    // Notifications: every RTM_NEWNEIGH of any sequence, so at least what the dump took.
    std::vector<ArpEntry> heard{earlier};
    bool whole = ParseNeighbourEvents({data, size}, filter, heard);
    FUZZ_CHECK(heard[0].address == earlier.address && heard[0].mac == earlier.mac);
    FUZZ_CHECK((heard.size() - 1) * (sizeof(nlmsghdr) + sizeof(ndmsg) + 8) <= size);
    std::vector<ArpEntry> heardAgain{earlier};
    FUZZ_CHECK(ParseNeighbourEvents({shifted.data() + 1, size}, filter, heardAgain) == whole);
    FUZZ_CHECK(SameEntries(heard, heardAgain));
    return 0;
}
