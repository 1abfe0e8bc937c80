#include "netinfo/linux/GetnameinfoResolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "testsupport/ChildProcess.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
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

constexpr const char* kAnsweredName = "slow-answer.test";

// The answer to a DNS query: the question echoed, one PTR record naming kAnsweredName.
// Nothing for what is not a query with one whole question.
std::optional<std::string> PtrAnswer(std::string_view query) {
    if (query.size() < 12) {
        return std::nullopt;
    }
    std::size_t pos = 12;
    while (pos < query.size() && query[pos] != 0) {
        pos += 1 + static_cast<unsigned char>(query[pos]);
    }
    std::size_t end = pos + 1 + 4;  // the root label, type and class
    if (end > query.size()) {
        return std::nullopt;
    }
    std::string answer(query.substr(0, end));
    answer.replace(2, 10, std::string("\x81\x80\0\x01\0\x01\0\0\0\0", 10));
    std::string rdata = "\x0bslow-answer\x04test";
    rdata.push_back('\0');
    answer += std::string("\xc0\x0c\0\x0c\0\x01\0\0\0\x3c\0", 11);
    answer.push_back(static_cast<char>(rdata.size()));
    return answer + rdata;
}

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Inside the namespace: a name server on 127.0.0.1:53 that answers every query after `delay`,
// then two lookups of 10.200.0.99, as the monitor makes them. Writes "key=value" lines to `out`.
int SlowDnsHelper(const fs::path& out, std::chrono::milliseconds delay) {
    int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(53);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        return 2;
    }
    // Static: the server thread lives on until the helper's process ends.
    static std::atomic<int> answered{0};
    std::thread([server, delay] {
        for (;;) {
            char buf[512];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                ::recvfrom(server, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0) {
                continue;
            }
            std::this_thread::sleep_for(delay);
            if (auto answer = PtrAnswer(std::string_view(buf, static_cast<std::size_t>(n)))) {
                ::sendto(server, answer->data(), answer->size(), 0,
                         reinterpret_cast<sockaddr*>(&from), len);
                ++answered;
            }
        }
    }).detach();
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
        [&] { return answered.load() > 0 && test::ThreadCount() == serverThreads; }, 15s);
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

// `ip netns exec` binds /etc/netns/<name>/* over /etc for what it starts: there the name
// server is our own and patient enough that only our time limit ends the wait.
class PrivateEtc {
public:
    explicit PrivateEtc(const test::NetNamespace& ns) : dir_("/etc/netns/" + ns.Name()) {
        fs::create_directories(dir_);
        test::WriteFile(dir_ / "resolv.conf",
                        "nameserver 127.0.0.1\noptions timeout:10 attempts:1\n");
        test::WriteFile(dir_ / "hosts", "127.0.0.1 localhost\n");
        test::WriteFile(dir_ / "nsswitch.conf", "hosts: files dns\n");
    }
    ~PrivateEtc() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    PrivateEtc(const PrivateEtc&) = delete;
    PrivateEtc& operator=(const PrivateEtc&) = delete;

private:
    fs::path dir_;
};

std::map<std::string, std::string> RunHelper(const test::NetNamespace& ns,
                                             std::chrono::milliseconds delay) {
    test::TempFolder dir;
    fs::path out = dir / "result";
    test::ChildProcess helper(
        {"ip", "netns", "exec", ns.Name(), fs::read_symlink("/proc/self/exe")},
        {"KESTROVE_SLOW_DNS_OUT=" + out.string(),
         "KESTROVE_SLOW_DNS_DELAY_MS=" + std::to_string(delay.count())});
    EXPECT_EQ(helper.Wait(30s), 0);
    std::map<std::string, std::string> values;
    std::istringstream in(test::ReadFile(out));
    for (std::string line; std::getline(in, line);) {
        std::size_t eq = line.find('=');
        values[line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq + 1);
    }
    return values;
}

TEST(GetnameinfoResolver, NameServerAnsweringLateCountsAsNoNameAndTurnsLookupsOff) {
    KESTROVE_REQUIRE_ROOT();
    test::NetNamespace ns("slowdns");
    PrivateEtc etc(ns);

    // The same server answering at once gives the name: the late case fails only by time.
    auto prompt = RunHelper(ns, 0ms);
    EXPECT_EQ(prompt["name"], kAnsweredName);
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
