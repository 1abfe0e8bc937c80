#pragma once

#include <filesystem>
#include <vector>

#include "monitor/watch/HostMemory.h"
#include "monitor/watch/WatchEngine.h"

namespace kestrove::test {

// One run of the monitor's watch over a program folder: a host memory started on the table as
// it is now, and an engine that asks it. Ending the run saves what the memory holds, as the
// monitor's shut-down does; the next run over the same folder is a restart.
class RememberingRun {
public:
    RememberingRun(const WatchServices& services, const std::filesystem::path& folder, Ipv4 gateway,
                   const std::vector<ArpEntry>& table)
        : memory(services.settings, services.clock, HostsFile::InFolder(folder), vendors),
          engine(services) {
        memory.Start(services.adapters.WatchIP, services.adapters.WatchMask, gateway, table);
        engine.SetMemory(&memory);
    }
    ~RememberingRun() {
        engine.Shutdown();
        memory.SaveNow();
    }
    RememberingRun(const RememberingRun&) = delete;
    RememberingRun& operator=(const RememberingRun&) = delete;

    OuiRegistry vendors{"/nonexistent"};
    HostMemory memory;
    WatchEngine engine;
};

}  // namespace kestrove::test
