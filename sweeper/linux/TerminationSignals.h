#pragma once

#include "netinfo/linux/UniqueFd.h"

namespace kestrove {

// Turns SIGTERM, SIGINT and SIGHUP into a readable descriptor, so the end request is handled in
// the main loop like any other event and the program ends cleanly.
class TerminationSignals {
public:
    // Blocks the signals for the whole process; create it before anything else runs.
    TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool Valid() const { return static_cast<bool>(fd_); }
    int Fd() const { return fd_.Get(); }
    // Reads the pending signals; true when one of them arrived.
    bool Drain();

private:
    UniqueFd fd_;
};

}  // namespace kestrove
