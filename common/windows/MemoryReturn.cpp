#include "common/MemoryReturn.h"

namespace kestrove {

// The Windows heap already gives blocks of more than about 512 KiB their own virtual
// allocation, released when they are freed.
void ReturnLargeBlocksToSystem() {}

}  // namespace kestrove
