#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "netinfo/ArpTableSource.h"

namespace kestrove {

// `MSFlexGrid1`: the current ARP table of the watched subnet, rebuilt by every scan and shown
// sorted by the padded address text. The padded text sorts exactly like the numeric address, so
// rows are kept as entries and formatted only when drawn.
class HostGrid {
public:
    static constexpr const char* kAddressHeader = "IPアドレス";
    static constexpr const char* kMacHeader = "MACアドレス";

    // Publishes a scan's rows (the platform's order) sorted by address; equal addresses keep
    // their order. Hands back the previous rows' storage for reuse.
    void Publish(std::vector<ArpEntry>& rows) {
        std::stable_sort(rows.begin(), rows.end(), [](const ArpEntry& a, const ArpEntry& b) {
            return a.address < b.address;
        });
        rows_.swap(rows);
        rows.clear();
        ++version_;
    }

    const std::vector<ArpEntry>& Rows() const { return rows_; }
    std::string AddressText(std::size_t row) const { return FormatAddressText(rows_[row].address); }
    std::string MacText(std::size_t row) const { return FormatMac(rows_[row].mac); }
    std::uint64_t Version() const { return version_; }

private:
    std::vector<ArpEntry> rows_;
    std::uint64_t version_ = 0;
};

}  // namespace kestrove
