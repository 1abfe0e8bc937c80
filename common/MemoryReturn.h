#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kestrove {

// Called once at start by a long-running program. Large blocks (the table buffers of a
// network of tens of thousands of hosts, their hash arrays while they grow) are handed back to
// the system when freed, so the resident size follows what is in use rather than the largest
// moment of a scan or a save.
void ReturnLargeBlocksToSystem();

// Empties a buffer kept for reuse. Storage beyond what a quiet network needs is dropped, so one
// burst of tens of thousands of hosts does not stay resident in it until the program ends.
template <typename T>
void ClearKeepingSmall(std::vector<T>& buffer, std::size_t keep = 4096) {
    if (buffer.capacity() > keep) {
        std::vector<T>().swap(buffer);
    } else {
        buffer.clear();
    }
}

// Room for `needed` elements in an array held for every host of a large network: grown by a
// quarter rather than doubled, so it is seldom much larger than what it holds.
template <typename T>
void ReserveGrowingByAQuarter(std::vector<T>& array, std::size_t needed) {
    if (array.capacity() < needed) {
        array.reserve(std::max(needed, array.size() + array.size() / 4));
    }
}

}  // namespace kestrove
