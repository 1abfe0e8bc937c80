// Meshprobe: contacts every address of the own subnet, one per second, over and over, so that
// every host on it enters the neighbour table the monitor watches. No window, no output.

#include "common/SingleInstance.h"
#include "netinfo/NetInfoPlatform.h"
#include "netinfo/OwnAdapters.h"
#include "sweeper/SubnetSweep.h"
#include "sweeper/SweepAddresses.h"
#include "sweeper/linux/EventLoop.h"
#include "sweeper/linux/TcpConnectProber.h"
#include "sweeper/linux/TerminationSignals.h"

int main() {
    using namespace kestrove;

    // First, so an end request that comes during start-up is still a clean end.
    TerminationSignals signals;
    if (!signals.Valid()) {
        return 1;
    }
    SingleInstance instance("Meshprobe");
    if (!instance.Acquire()) {
        return 0;
    }

    std::unique_ptr<AdapterSource> source = CreateAdapterSource();
    OwnAdapters own(*source);
    own.GetOwnAdapters(nullptr);

    EventLoop loop;
    TcpConnectProber prober;
    SubnetSweep sweep(loop, prober, SweepAddresses(own));
    loop.WatchReadable(signals.Fd(), [&] {
        if (signals.Drain()) {
            loop.Quit(0);
        }
    });
    sweep.Start();
    return loop.Run();
}
