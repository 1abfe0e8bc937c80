#include "common/MemoryReturn.h"

#include <malloc.h>

namespace kestrove {

void ReturnLargeBlocksToSystem() {
    // glibc raises its mapping threshold to the size of each large block freed, after which
    // such blocks come from the heap and their pages stay resident once freed. A fixed
    // threshold keeps every block of 128 KiB and more in a mapping of its own.
    ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

}  // namespace kestrove
