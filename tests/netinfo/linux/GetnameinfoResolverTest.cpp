#include "netinfo/linux/GetnameinfoResolver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>

#include "testsupport/ChildProcess.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/SlowNameServer.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Ip;

// Run in a namespace of our own with nothing but loopback: should the resolver go past the
// hosts file, no query can leave the machine.
TEST(GetnameinfoResolver, NamesFromTheHostsFileAndNothingForUnknownAddresses) {
    KESTROVE_REQUIRE_ROOT();
    test::NetNamespace ns("resolver");
    test::ScopedNetnsEnter inside(ns);
    GetnameinfoResolver resolver;
    auto name = resolver.ReverseLookup(Ip("127.0.0.1"));
    ASSERT_TRUE(name.has_value());
    EXPECT_NE(*name, "127.0.0.1") << "the dotted text is no name";
    EXPECT_FALSE(name->empty());
    EXPECT_EQ(resolver.ReverseLookup(Ip("10.200.0.99")), std::nullopt);
}

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Inside the namespace: a name server on 127.0.0.1:53 that answers every query after `delay`,
// then two lookups of 10.200.0.99, as the monitor makes them. Writes "key=value" lines to `out`.
int SlowDnsHelper(const fs::path& out, std::chrono::milliseconds delay) {
    std::unique_ptr<test::SlowNameServer> server = test::SlowNameServer::Start(delay);
    if (!server) {
        return 2;
    }
    const int serverThreads = test::ThreadCount();

    std::ofstream result(out);
    {
        GetnameinfoResolver resolver;
        HostNameLookup lookup(resolver);
        auto start = Clock::now();
        result << "name=" << lookup.GetHostNameByIP("10.200.  0. 99") << "\n";
        result << "first_ms=" << MillisecondsSince(start) << "\n";
        result << "off=" << lookup.NoHostLookup() << "\n";
        start = Clock::now();
        lookup.GetHostNameByIP("10.200.  0. 98");
        result << "second_ms=" << MillisecondsSince(start) << "\n";
    }
    // The resolver is gone; a worker that timed out gets its answer now and must end without
    // touching it (the sanitizers watch).
    bool workerEnded = test::WaitFor(
        [&] { return server->Answered() > 0 && test::ThreadCount() == serverThreads; }, 15s);
    result << "worker_ended=" << workerEnded << "\n";
    result.close();
    return 0;
}

[[maybe_unused]] const bool kSlowDnsHelper = [] {
    const char* out = std::getenv("KESTROVE_SLOW_DNS_OUT");
    const char* delay = std::getenv("KESTROVE_SLOW_DNS_DELAY_MS");
    if (out != nullptr && delay != nullptr) {
        std::_Exit(SlowDnsHelper(out, std::chrono::milliseconds(std::atol(delay))));
    }
    return false;
}();

std::map<std::string, std::string> RunHelper(const test::NetNamespace& ns,
                                             std::chrono::milliseconds delay) {
    test::TempFolder dir;
    fs::path out = dir / "result";
    test::ChildProcess helper(
        {"ip", "netns", "exec", ns.Name(), fs::read_symlink("/proc/self/exe")},
        {"KESTROVE_SLOW_DNS_OUT=" + out.string(),
         "KESTROVE_SLOW_DNS_DELAY_MS=" + std::to_string(delay.count())});
    EXPECT_EQ(helper.Wait(30s), 0);
    return test::ReadValues(out);
}

TEST(GetnameinfoResolver, NameServerAnsweringLateCountsAsNoNameAndTurnsLookupsOff) {
    KESTROVE_REQUIRE_ROOT();
    test::NetNamespace ns("slowdns");
    test::PrivateEtc etc(ns);

    // The same server answering at once gives the name: the late case fails only by time.
    auto prompt = RunHelper(ns, 0ms);
    EXPECT_EQ(prompt["name"], test::kSlowAnswerName);
    EXPECT_EQ(prompt["off"], "0");

    auto late = RunHelper(ns, 5000ms);
    EXPECT_EQ(late["name"], "");
    EXPECT_EQ(late["off"], "1");
    long first = std::atol(late["first_ms"].c_str());
    EXPECT_GE(first, 1900) << "the lookup waited for the time limit";
    EXPECT_LT(first, 3000) << "the monitor's thread waits no longer than the limit";
    EXPECT_LT(std::atol(late["second_ms"].c_str()), 100) << "lookups are off for the run";
    EXPECT_EQ(late["worker_ended"], "1");
}

}  // namespace
}  // namespace kestrove
