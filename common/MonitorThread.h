#pragma once

#include <functional>

namespace kestrove {

// Runs a task on the monitor's thread, later; may be called from any thread. How work done on
// a thread of its own (a mail, a probe) hands its outcome back to the single-threaded monitor.
using PostToMonitorThread = std::function<void(std::function<void()>)>;

}  // namespace kestrove
