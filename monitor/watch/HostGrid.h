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
    // their order. `rows` is left empty. The version moves only when the rows differ, so an
    // unchanged table does not reset the window's grid (and the user's selection in it) every
    // second.
    void Publish(std::vector<ArpEntry>& rows) {
        SortByAddress(rows);
        if (rows != rows_) {
            ++version_;
        }
        // Only the published rows stay between scans, at their own size: a read's buffer grows
        // by doubling, and keeping it (or the previous rows for reuse) cost a large network
        // up to 80 bytes a host for nothing but the next read.
        if (rows.capacity() - rows.size() > rows.size() / 64) {
            rows.shrink_to_fit();
        }
        rows_.swap(rows);
        std::vector<ArpEntry>().swap(rows);
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
        std::vector<ArpEntry> scratch;
        for (int b = 0; b < 4; ++b) {
            std::array<std::size_t, 256>& next = counts[b];
            if (rows.empty() || next[(rows.front().address >> (8 * b)) & 0xFF] == rows.size()) {
                continue;
            }
            scratch.resize(rows.size());
            std::size_t start = 0;
            for (std::size_t& n : next) {
                start += std::exchange(n, start);
            }
            for (const ArpEntry& entry : rows) {
                scratch[next[(entry.address >> (8 * b)) & 0xFF]++] = entry;
            }
            rows.swap(scratch);
        }
    }

    std::vector<ArpEntry> rows_;
    std::uint64_t version_ = 0;
};

}  // namespace kestrove
