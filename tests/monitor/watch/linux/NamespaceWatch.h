#pragma once

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../WatchFixture.h"
#include "netinfo/linux/IfaddrsAdapterSource.h"
#include "netinfo/linux/NetlinkArpTableSource.h"
#include "netinfo/linux/NetlinkNeighbourEvents.h"
#include "testsupport/NetNamespace.h"

namespace kestrove::test {

// A watch engine put together as the monitor does it, but reading the neighbour table, the
// adapters and (when asked) the neighbour notifications of a test namespace; clock, timers,
// give-way and name service are fakes, and the test pumps the notifications as the event loop
// would.
class NamespaceWatch {
public:
    enum class Events { None, Open, Unavailable };

    explicit NamespaceWatch(const NetNamespace& ns, Events wanted = Events::None) {
        {
            // Every source answers for the namespace it is made or read in.
            ScopedNetnsEnter inside(ns);
            arp = std::make_unique<NetlinkArpTableSource>();
            adapters.GetOwnAdapters(&settings);
            if (wanted == Events::Open) {
                notifications = std::make_unique<NetlinkNeighbourEvents>();
            } else if (wanted == Events::Unavailable) {
                notifications = WithoutDescriptors();
            }
        }
        settings.WriteIni("Watch", "Change", "1");
        settings.WriteIni("Watch", "Duplicate", "1");
        engine = std::make_unique<WatchEngine>(
            WatchServices{settings, log, *arp, adapters, hostNames, clock, timers, events});
    }

    std::vector<std::string> List1() const { return engine->List1().Lines(); }
    std::vector<std::string> List2() const { return engine->List2().Lines(); }
    std::vector<std::string> GridRows() const { return test::GridRows(*engine); }
    std::string LogBytes() const { return ReadFile(log.Path()); }
    std::vector<std::string> LogLines() const { return ReadCp932Lines(log.Path()); }

    // Hears notifications as they come until `done` holds or the time is up; false once the
    // notifications are gone.
    template <typename Done>
    bool HearUntil(Done done, std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{notifications->Handle(), POLLIN, 0};
            ::poll(&ready, 1, 10);
            if (!engine->HearNeighbours(*notifications)) {
                return false;
            }
        }
        return true;
    }
    // Takes in what the kernel announced so far (the test's own set-up).
    void Drain() {
        HearUntil([] { return false; }, std::chrono::milliseconds(200));
    }

    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    std::unique_ptr<NetlinkArpTableSource> arp;
    std::unique_ptr<NetlinkNeighbourEvents> notifications;
    IfaddrsAdapterSource adapterSource;
    OwnAdapters adapters{adapterSource};
    FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    FakeClock clock;
    FakeTimerFactory timers{clock};
    RecordingEvents events;
    std::unique_ptr<WatchEngine> engine;

private:
    // The process out of descriptors at the moment the socket is asked for.
    static std::unique_ptr<NetlinkNeighbourEvents> WithoutDescriptors() {
        rlimit old{};
        ::getrlimit(RLIMIT_NOFILE, &old);
        int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit exhausted{static_cast<rlim_t>(lowestFree), old.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &exhausted);
        // Only the open runs short of descriptors: the sanitizers' own checks need some too.
        NetlinkSocket socket = NetlinkNeighbourEvents::OpenSocket();
        ::setrlimit(RLIMIT_NOFILE, &old);
        return std::make_unique<NetlinkNeighbourEvents>(std::move(socket));
    }
};

}  // namespace kestrove::test
