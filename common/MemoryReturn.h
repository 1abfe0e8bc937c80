#pragma once

namespace kestrove {

// Called once at start by a long-running program. Large blocks (the table buffers of a
// network of tens of thousands of hosts, their hash arrays while they grow) are handed back to
// the system when freed, so the resident size follows what is in use rather than the largest
// moment of a scan or a save.
void ReturnLargeBlocksToSystem();

}  // namespace kestrove
