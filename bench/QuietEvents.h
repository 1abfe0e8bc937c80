#pragma once

#include "monitor/watch/WatchEvents.h"

namespace kestrove::bench {

// A window that shows nothing: benchmarks count the engine's own work.
class QuietEvents final : public WatchEvents {
public:
    void StartIconBlink() override {}
    void StopIconBlink() override {}
    void RequestImmediateReport() override {}
    void ScanActivity(bool) override {}
    void ViewsChanged() override {}
};

}  // namespace kestrove::bench
