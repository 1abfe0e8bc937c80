#pragma once

#include "sweeper/Prober.h"

namespace kestrove {

// A non-blocking Winsock connect to port 80, closed at once. The system still resolves the
// target's MAC address, which is all the sweep needs.
class WinsockProber final : public Prober {
public:
    WinsockProber();
    ~WinsockProber() override;
    WinsockProber(const WinsockProber&) = delete;
    WinsockProber& operator=(const WinsockProber&) = delete;

    bool Valid() const { return started_; }
    bool Probe(Ipv4 address) override;

private:
    bool started_ = false;
};

}  // namespace kestrove
