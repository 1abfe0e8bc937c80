#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
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
    // their order. Hands back the previous rows' storage for reuse. The version moves only when
    // the rows differ, so an unchanged table does not reset the window's grid (and the user's
    // selection in it) every second.
    void Publish(std::vector<ArpEntry>& rows) {
        SortByAddress(rows);
        if (rows != rows_) {
            ++version_;
        }
        rows_.swap(rows);
        rows.clear();
    }

    const std::vector<ArpEntry>& Rows() const { return rows_; }
    std::string AddressText(std::size_t row) const { return FormatAddressText(rows_[row].address); }
    std::string MacText(std::size_t row) const { return FormatMac(rows_[row].mac); }
    std::uint64_t Version() const { return version_; }

private:
    // Every scan sorts the whole table again, and with a comparison sort that was most of the
    // scan's own cost on large tables. A byte-wise radix sort is linear and stable, and skips
    // the bytes all rows share: for a /24 subnet one pass is left.
    void SortByAddress(std::vector<ArpEntry>& rows) {
        std::array<std::array<std::size_t, 256>, 4> counts{};
        for (const ArpEntry& entry : rows) {
            for (int b = 0; b < 4; ++b) {
                ++counts[b][(entry.address >> (8 * b)) & 0xFF];
            }
        }
        scratch_.resize(rows.size());
        for (int b = 0; b < 4; ++b) {
            std::array<std::size_t, 256>& next = counts[b];
            if (rows.empty() || next[(rows.front().address >> (8 * b)) & 0xFF] == rows.size()) {
                continue;
            }
            std::size_t start = 0;
            for (std::size_t& n : next) {
                start += std::exchange(n, start);
            }
            for (const ArpEntry& entry : rows) {
                scratch_[next[(entry.address >> (8 * b)) & 0xFF]++] = entry;
            }
            rows.swap(scratch_);
        }
    }

    std::vector<ArpEntry> rows_;
    std::vector<ArpEntry> scratch_;
    std::uint64_t version_ = 0;
};

}  // namespace kestrove
