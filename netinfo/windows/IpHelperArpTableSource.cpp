#include "netinfo/windows/IpHelperArpTableSource.h"

// clang-format off: winsock2.h must come before iphlpapi.h
#include <iphlpapi.h>
#include <winsock2.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kestrove {

IpHelperArpTableSource::IpHelperArpTableSource()
    : getTable_([](void* table, unsigned long* size, int order) {
          return static_cast<unsigned long>(
              ::GetIpNetTable(static_cast<MIB_IPNETTABLE*>(table), size, order != 0));
      }) {}

bool IpHelperArpTableSource::Read(std::vector<ArpEntry>& entries) {
    entries.clear();
    // The last read's room first, so a table that did not grow is read in one call: every call
    // goes over the whole table (Wine answers even the size query that way), and the table is
    // read every 50 ms. What an earlier, longer table left in the room is cleared.
    unsigned long size = static_cast<unsigned long>(buffer_.size());
    std::fill(buffer_.begin(), buffer_.end(), std::uint8_t{0});
    std::uint8_t probe = 0;
    unsigned long result = getTable_(size > 0 ? buffer_.data() : &probe, &size, 0);
    if (result != NO_ERROR && result != ERROR_INSUFFICIENT_BUFFER) {
        return false;
    }
    // The table may have grown between the two calls: a few tries with the size asked for.
    for (int attempt = 0; attempt < 4 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer_.assign(size + 1, 0);
        result = getTable_(buffer_.data(), &size, 0);
    }
    if (result != NO_ERROR || buffer_.size() < sizeof(DWORD)) {
        return false;
    }
    // Never trust the count beyond the bytes the buffer holds.
    DWORD count = 0;
    std::memcpy(&count, buffer_.data(), sizeof count);
    std::size_t room = (buffer_.size() - offsetof(MIB_IPNETTABLE, table)) / sizeof(MIB_IPNETROW);
    if (count > room) {
        count = static_cast<DWORD>(room);
    }
    entries.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        MIB_IPNETROW row;
        std::memcpy(&row, buffer_.data() + offsetof(MIB_IPNETTABLE, table) + i * sizeof row,
                    sizeof row);
        ArpEntry entry;
        entry.address = ntohl(row.dwAddr);
        DWORD length = row.dwPhysAddrLen > MAXLEN_PHYSADDR ? MAXLEN_PHYSADDR : row.dwPhysAddrLen;
        entry.mac = MacAddress::FromBytes(row.bPhysAddr, length);
        entries.push_back(entry);
    }
    return true;
}

}  // namespace kestrove
