#include "sweeper/SubnetSweep.h"

namespace kestrove {

SubnetSweep::SubnetSweep(TimerFactory& timers, Prober& prober, std::vector<Ipv4> addresses)
    : prober_(prober),
      addresses_(std::move(addresses)),
      timPingAll_(timers.Create(kInterval)),
      timWinsockWait_(timers.Create(kInterval)) {
    timPingAll_->SetHandler([this] { timPingAll_Timer(); });
    timWinsockWait_->SetHandler([this] { timWinsockWait_Timer(); });
}

void SubnetSweep::Start() {
    timPingAll_->Start();
}

void SubnetSweep::timPingAll_Timer() {
    // Stopped for the whole sweep, so sweeps never overlap.
    timPingAll_->Stop();
    sweeping_ = true;
    next_ = 0;
    ProbeNext();
}

void SubnetSweep::timWinsockWait_Timer() {
    timWinsockWait_->Stop();
    ProbeNext();
}

void SubnetSweep::ProbeNext() {
    while (next_ < addresses_.size()) {
        if (prober_.Probe(addresses_[next_++])) {
            timWinsockWait_->Start();
            return;
        }
    }
    sweeping_ = false;
    timPingAll_->Start();
}

}  // namespace kestrove
